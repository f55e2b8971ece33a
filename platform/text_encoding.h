#pragma once
// Text at the edge of the Windows interfaces: the program keeps its texts and paths in UTF-8 and hands
// them to the wide (UTF-16) calls, or to the 8-bit calls in the system's ANSI code page.

#include <string>
#include <string_view>

namespace velto::platform {

std::wstring Utf16(std::string_view utf8);
std::string Utf8(std::wstring_view utf16);
// The system's ANSI code page (936 on a Chinese system) and back; characters it lacks become "?".
std::string ToAnsi(std::string_view utf8);
std::string FromAnsi(std::string_view ansi);

}  // namespace velto::platform
