#pragma once
// Small text helpers of the print processor.

#include <windows.h>

#include <string>
#include <string_view>

namespace vtproc {

std::string Utf8(std::wstring_view text);

// The system's message for a Windows error code, with the number: "Access is denied. (error 5)".
std::wstring ErrorText(DWORD error);

// A document name fit for a command line and a log line: control characters become blanks, and a name
// longer than `maxUnits` UTF-16 units is cut there (never inside a surrogate pair).
std::wstring CleanDocumentName(std::wstring_view name, size_t maxUnits);

// Case-insensitive comparison the way the system compares names (ordinal, no locale).
bool SameName(std::wstring_view a, std::wstring_view b);

}  // namespace vtproc
