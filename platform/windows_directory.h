#pragma once
// Where the program keeps its files. The Windows directory is named by VELTO_WINDIR, else $HOME/.velto
// (made on first use); it holds VeltoFaxPrint.ini, the *.spl spool files, the installed program copy and
// the help file. The temporary directory is $TMPDIR, else /tmp.

#include <optional>
#include <string>

namespace velto::platform {

// No value when the directory cannot be had (GetWindowsDirectoryA returning 0).
std::optional<std::string> WindowsDirectory();
std::string TempDirectory();
// The path separator used when a Part joins "%s\%s": "/" on this platform.
inline constexpr char kPathSeparator = '/';

}  // namespace velto::platform
