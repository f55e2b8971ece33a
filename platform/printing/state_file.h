#pragma once
// Plain-text state of the printing layers where they are our own (spooler, registry, services): sections of "key=value" lines
// that a person can read and a test can check. Names compare without case, as Windows names do. Every
// operation reads the file afresh and a save replaces it whole, so two processes never see half a file.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velto::platform {

struct StateSection {
  std::string name;
  std::vector<std::pair<std::string, std::string>> values;

  const std::string* Find(std::string_view key) const;
  std::string Get(std::string_view key, std::string_view fallback = "") const;
  void Set(std::string_view key, std::string_view value);
  void Erase(std::string_view key);
};

class StateFile {
 public:
  // Reads `path`; a missing or unreadable file gives no sections.
  static StateFile Load(const std::string& path);
  // Writes through a temporary file and a rename; false when the file cannot be written.
  bool Save(const std::string& path, std::string_view heading = "") const;

  StateSection* Find(std::string_view section);
  const StateSection* Find(std::string_view section) const;
  StateSection& FindOrAdd(std::string_view section);
  bool Erase(std::string_view section);
  std::vector<StateSection>& Sections() { return sections_; }
  const std::vector<StateSection>& Sections() const { return sections_; }

 private:
  std::vector<StateSection> sections_;
};

bool EqualsNoCase(std::string_view a, std::string_view b);

// Holds the layers' state lock (an exclusive lock on <windir>/.state.lock) for the length of a scope, so
// that two processes changing the same state file one after the other never lose an update. Nested
// scopes in one thread share the outer lock.
class ScopedStateLock {
 public:
  ScopedStateLock();
  ~ScopedStateLock();
  ScopedStateLock(const ScopedStateLock&) = delete;
  ScopedStateLock& operator=(const ScopedStateLock&) = delete;
};

}  // namespace velto::platform
