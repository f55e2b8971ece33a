#include "platform/replacing_output_file.h"

#include <cerrno>
#include <cstdio>
#include <string_view>
#include <utility>

#include "platform/files.h"

namespace velto::platform {
namespace {

constexpr int kNameAttempts = 100;

std::string FolderOf(const std::string& path) {
  auto slash = path.find_last_of(kPathSeparators);
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

ReplacingOutputFile::ReplacingOutputFile(std::string target) : target_(std::move(target)) {}

ReplacingOutputFile::~ReplacingOutputFile() { Discard(); }

void ReplacingOutputFile::Fail(int systemError) { error_ = SystemErrorText(systemError); }

void ReplacingOutputFile::Fail(std::string reason) { error_ = std::move(reason); }

bool ReplacingOutputFile::Create() {
  Discard();
  error_.clear();
  if (target_.empty() || std::string_view(kPathSeparators).find(target_.back()) != std::string_view::npos ||
      IsFolder(target_)) {
    Fail(EISDIR);
    return false;
  }
  if (IsSpecialFile(target_)) {
    temp_ = target_;
    inPlace_ = true;
    return true;
  }
  inPlace_ = false;
  const std::string target = FollowLinks(target_);
  const std::string folder = FolderOf(target);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08X~", UniqueNumber());
    // Beside the target under its own name; a short name in the same folder when that is too long.
    std::string candidate = target + suffix;
    if (CreateNewFile(candidate, false)) {
      temp_ = std::move(candidate);
      return true;
    }
    if (errno == ENAMETOOLONG) {
      candidate = folder + kPathSeparator + ".velto" + suffix;
      if (CreateNewFile(candidate, false)) {
        temp_ = std::move(candidate);
        return true;
      }
    }
    if (errno != EEXIST) {
      Fail(errno);
      return false;
    }
  }
  Fail(EEXIST);
  return false;
}

bool ReplacingOutputFile::Commit() {
  if (temp_.empty()) {
    if (error_.empty()) Fail(ENOENT);
    return false;
  }
  if (inPlace_) {
    temp_.clear();
    return true;
  }
  if (!ReplaceFile(temp_, FollowLinks(target_))) {
    Fail(errno);
    Discard();
    return false;
  }
  temp_.clear();
  return true;
}

void ReplacingOutputFile::Discard() {
  if (temp_.empty()) return;
  if (!inPlace_) RemoveFile(temp_);
  temp_.clear();
}

}  // namespace velto::platform
