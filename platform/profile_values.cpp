#include "platform/profile_values.h"

#include <cstdint>

namespace velto::platform {

namespace {

bool IsProfileBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string_view TrimProfileBlanks(std::string_view text) {
  while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

int ProfileNumber(std::string_view value, int defaultValue) {
  if (value.empty()) return defaultValue;
  size_t i = 0;
  while (i < value.size() && IsProfileBlank(value[i])) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
    negative = value[i] == '-';
    ++i;
  }
  int base = 10;
  if (i + 1 < value.size() && value[i] == '0') {
    switch (value[i + 1]) {
      case 'x': base = 16; i += 2; break;
      case 'o': base = 8; i += 2; break;
      case 'b': base = 2; i += 2; break;
      default: break;
    }
  }
  uint32_t total = 0;  // unsigned so that overflow wraps as the platform's reader does
  for (; i < value.size(); ++i) {
    int digit = DigitValue(value[i]);
    if (digit < 0 || digit >= base) break;
    total = total * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
  }
  if (negative) total = 0u - total;
  return static_cast<int32_t>(total);
}

std::string ProfileText(std::string_view value) {
  // One pair of quotes around the value goes, double or single, as the profile functions strip them.
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  if (value.size() > kProfileTextLimit) value = value.substr(0, kProfileTextLimit);
  return std::string(value);
}

}  // namespace velto::platform
