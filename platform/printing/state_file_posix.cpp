#include "platform/printing/state_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/printing/system_paths.h"

namespace velto::platform {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// One line per value: line breaks inside a value would start a new entry.
std::string OneLine(std::string_view s) {
  std::string out(s);
  std::replace(out.begin(), out.end(), '\n', ' ');
  std::replace(out.begin(), out.end(), '\r', ' ');
  return out;
}

thread_local int lockDepth = 0;
thread_local int lockFd = -1;

}  // namespace

ScopedStateLock::ScopedStateLock() {
  if (lockDepth++ > 0) return;
  const std::string path = SystemStatePath(".state.lock");
  if (path.empty()) return;
  lockFd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lockFd >= 0) {
    while (::flock(lockFd, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
}

ScopedStateLock::~ScopedStateLock() {
  if (--lockDepth > 0 || lockFd < 0) return;
  ::flock(lockFd, LOCK_UN);
  ::close(lockFd);
  lockFd = -1;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

const std::string* StateSection::Find(std::string_view key) const {
  for (const auto& [k, v] : values)
    if (EqualsNoCase(k, key)) return &v;
  return nullptr;
}

std::string StateSection::Get(std::string_view key, std::string_view fallback) const {
  const std::string* v = Find(key);
  return v ? *v : std::string(fallback);
}

void StateSection::Set(std::string_view key, std::string_view value) {
  for (auto& [k, v] : values)
    if (EqualsNoCase(k, key)) {
      v = OneLine(value);
      return;
    }
  values.emplace_back(OneLine(key), OneLine(value));
}

void StateSection::Erase(std::string_view key) {
  std::erase_if(values, [&](const auto& kv) { return EqualsNoCase(kv.first, key); });
}

StateFile StateFile::Load(const std::string& path) {
  StateFile file;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  StateSection* current = nullptr;
  while (std::getline(in, line)) {
    std::string_view text = Trim(line);
    if (text.empty() || text.front() == ';' || text.front() == '#') continue;
    if (text.front() == '[' && text.back() == ']') {
      current = &file.FindOrAdd(text.substr(1, text.size() - 2));
      continue;
    }
    size_t eq = text.find('=');
    if (!current || eq == std::string_view::npos) continue;
    current->Set(Trim(text.substr(0, eq)), text.substr(eq + 1));
  }
  return file;
}

bool StateFile::Save(const std::string& path, std::string_view heading) const {
  std::ostringstream out;
  if (!heading.empty()) out << "; " << heading << "\n";
  for (const auto& section : sections_) {
    out << "[" << section.name << "]\n";
    for (const auto& [k, v] : section.values) out << k << "=" << v << "\n";
    out << "\n";
  }
  std::error_code ec;
  std::filesystem::path target(path);
  if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), ec);
  std::string temp = path + ".tmp" + std::to_string(::getpid());
  {
    std::ofstream f(temp, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    const std::string text = out.str();
    f.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!f.flush()) return false;
  }
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    return false;
  }
  return true;
}

StateSection* StateFile::Find(std::string_view section) {
  for (auto& s : sections_)
    if (EqualsNoCase(s.name, section)) return &s;
  return nullptr;
}

const StateSection* StateFile::Find(std::string_view section) const {
  for (const auto& s : sections_)
    if (EqualsNoCase(s.name, section)) return &s;
  return nullptr;
}

StateSection& StateFile::FindOrAdd(std::string_view section) {
  if (StateSection* s = Find(section)) return *s;
  sections_.push_back(StateSection{OneLine(section), {}});
  return sections_.back();
}

bool StateFile::Erase(std::string_view section) {
  auto before = sections_.size();
  std::erase_if(sections_, [&](const StateSection& s) { return EqualsNoCase(s.name, section); });
  return sections_.size() != before;
}

}  // namespace velto::platform
