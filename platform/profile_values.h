#pragma once
// How the profile functions turn the text of a value into what the caller gets, shared by the file
// reader and by the settings overrides (which must read exactly as a value in the file would).

#include <string>
#include <string_view>

namespace velto::platform {

// Longest text value a reader gets (its buffer holds 260 bytes with the terminator).
inline constexpr size_t kProfileTextLimit = 259;

// A number as GetPrivateProfileIntA reads it: an empty value gives the default; otherwise leading
// blanks, an optional sign, an optional "0x"/"0o"/"0b" base prefix, then digits up to the first
// non-digit (none: 0), wrapping at 32 bits.
int ProfileNumber(std::string_view value, int defaultValue);

// A text value as GetPrivateProfileStringA returns it from an (already trimmed) value: one pair of
// surrounding double or single quotes removed, then cut to kProfileTextLimit bytes.
std::string ProfileText(std::string_view value);

// Blanks and control characters at both ends removed, as the profile reader trims names and values.
std::string_view TrimProfileBlanks(std::string_view text);

// ASCII case-insensitive equality, as section and key names are compared.
bool EqualNoCase(std::string_view a, std::string_view b);

}  // namespace velto::platform
