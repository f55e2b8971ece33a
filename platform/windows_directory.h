#pragma once
// Where the program keeps its files. The Windows directory holds VeltoFaxPrint.ini, the *.spl spool
// files, the installed program copy and the help file; the temporary directory the page files.
// On Windows they are the system's (GetWindowsDirectoryA, GetTempPathA). Elsewhere the Windows directory
// is named by VELTO_WINDIR, else $HOME/.velto (made on first use), and the temporary directory is
// $TMPDIR, else /tmp.

#include <optional>
#include <string>

#include "platform/files.h"

namespace velto::platform {

// No value when the directory cannot be had (GetWindowsDirectoryA returning 0).
std::optional<std::string> WindowsDirectory();
// Tests put a folder of their own in place of the Windows directory (nullopt: the system's again).
void SetWindowsDirectoryForTesting(std::optional<std::string> folder);
// The folder for temporary files, without a final separator; empty when the system names none (then
// nothing is made anywhere else in its place).
std::string TempDirectory();
// The user's own folder for print jobs taken out of a Windows directory that the user may not change
// (made on first use): %LOCALAPPDATA%\VeltoFaxTool\jobs on Windows, $XDG_DATA_HOME/velto/jobs (else
// ~/.local/share/velto/jobs) elsewhere. No value when it cannot be made.
std::optional<std::string> UserJobFolder();

// The folder of the `autosavedir` setting, ending in the path separator. On Windows the text as it
// stands with a final "\" added when it has none. Elsewhere an empty text or the Windows default
// "c:\" means the home folder, and a final "\" is taken for "/".
std::string FolderOfSetting(std::string folder);

}  // namespace velto::platform
