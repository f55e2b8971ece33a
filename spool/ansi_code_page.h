#pragma once
// Conversions between UTF-16 and the system's ANSI code page, as the text output needs them: on Windows
// the code page the system runs with, elsewhere 936 (GBK), the code page of the program's own system.

#include <string>
#include <string_view>

namespace velto {

// UTF-16 code units to the ANSI code page. Every character the code page cannot represent (and every
// unpaired surrogate) becomes `replacement`.
std::string Utf16ToAnsi(std::u16string_view text, char replacement);
// ANSI code page bytes to UTF-16. A byte sequence that is no character of the code page becomes U+FFFD.
std::u16string AnsiToUtf16(std::string_view text);

}  // namespace velto
