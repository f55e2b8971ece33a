// Environment overrides on POSIX systems.
#include <cstdlib>

#include "tests/support/test_support.h"

namespace velto::test {

unsigned AnsiCodePage() { return 936; }

std::optional<std::string> GetEnv(const std::string& name) {
  if (const char* value = std::getenv(name.c_str())) return std::string(value);
  return std::nullopt;
}

void SetEnv(const std::string& name, const std::optional<std::string>& value) {
  if (value) ::setenv(name.c_str(), value->c_str(), 1);
  else ::unsetenv(name.c_str());
}

ScopedEnv::ScopedEnv(const char* name, const std::optional<std::string>& value) : names_{name} {
  previous_.push_back(GetEnv(name));
  SetEnv(name, value);
}

ScopedEnv::~ScopedEnv() { SetEnv(names_.front(), previous_.front()); }

}  // namespace velto::test
