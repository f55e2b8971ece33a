#include "job/spool_claim.h"

#include <cerrno>
#include <string_view>

#include "platform/files.h"
#include "platform/windows_directory.h"

namespace velto {

namespace {

constexpr const char* kClaimedSuffix = ".claimed";

using platform::RenameNoReplace;

// ".spl" at the end of a name, without regard to case.
bool HasSpoolExtension(std::string_view name) {
  if (name.size() <= 4) return false;
  std::string_view ending = name.substr(name.size() - 4);
  const char* wanted = ".spl";
  for (size_t i = 0; i < 4; ++i) {
    const char c = ending[i] >= 'A' && ending[i] <= 'Z' ? static_cast<char>(ending[i] - 'A' + 'a') : ending[i];
    if (c != wanted[i]) return false;
  }
  return true;
}

// The part of a claimed path before ".<pid>.claimed", or none when `path` is not a claimed path.
std::optional<std::string> ClaimedBase(const std::string& path) {
  std::string_view text = path;
  std::string_view suffix = kClaimedSuffix;
  if (!text.ends_with(suffix)) return std::nullopt;
  text.remove_suffix(suffix.size());
  auto dot = text.rfind('.');
  if (dot == std::string_view::npos || dot + 1 == text.size()) return std::nullopt;
  for (char c : text.substr(dot + 1)) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  std::string base(text.substr(0, dot));
  if (!HasSpoolExtension(base)) return std::nullopt;
  return base;
}

}  // namespace

std::optional<std::string> ClaimFirstSpoolFile(const std::string& directory) {
  auto names = platform::ListFolder(directory);
  if (!names) return std::nullopt;
  std::string claimSuffix(1, '.');
  claimSuffix.append(std::to_string(platform::ProcessId())).append(kClaimedSuffix);
  for (const std::string& name : *names) {
    if (!HasSpoolExtension(name)) continue;
    std::string path = directory;
    path.append(1, platform::kPathSeparator).append(name);
    if (path.size() >= kSpoolPathChars) continue;  // would not fit; never cut into another path
    if (!platform::IsRegularFile(path)) continue;
    std::string claimed = path + claimSuffix;
    if (RenameNoReplace(path, claimed)) return claimed;
    // Another copy took it first (or it cannot be renamed): try the next one.
  }
  return std::nullopt;
}

bool IsClaimedSpoolPath(const std::string& path) { return ClaimedBase(path).has_value(); }

std::string UnclaimedSpoolPath(const std::string& path) { return ClaimedBase(path).value_or(path); }

bool ReleaseSpoolClaim(const std::string& claimedPath) {
  auto base = ClaimedBase(claimedPath);
  if (!base) return false;
  if (RenameNoReplace(claimedPath, *base)) return true;
  if (errno != EEXIST) return false;
  // NAME.spl is taken by a new job: give this one NAME-2.spl, NAME-3.spl, …
  std::string stem = base->substr(0, base->size() - 4);
  std::string extension = base->substr(base->size() - 4);
  for (int n = 2; n < 1000; ++n) {
    std::string candidate = stem + "-" + std::to_string(n) + extension;
    if (RenameNoReplace(claimedPath, candidate)) return true;
    if (errno != EEXIST) return false;
  }
  return false;
}

std::optional<std::string> SetSpoolFileAside(const std::string& spoolPath) {
  std::string base = UnclaimedSpoolPath(spoolPath);
  for (int n = 1; n < 1000; ++n) {
    std::string candidate = n == 1 ? base + ".failed" : base + "." + std::to_string(n) + ".failed";
    if (RenameNoReplace(spoolPath, candidate)) return candidate;
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace velto
