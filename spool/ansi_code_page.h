#pragma once
// Conversions between UTF-16 and the system's ANSI code page, 936 (GBK), as the text output needs them.

#include <string>
#include <string_view>

namespace velto {

// UTF-16 code units to code page 936. Every character the code page cannot represent (and every
// unpaired surrogate) becomes `replacement`.
std::string Utf16ToAnsi(std::u16string_view text, char replacement);
// Code page 936 bytes to UTF-16. A byte sequence that is no character of the code page becomes U+FFFD.
std::u16string AnsiToUtf16(std::string_view text);

}  // namespace velto
