#pragma once
// Taking a spool file for one job. Several copies of the program may run at once, one per print job,
// and each looks for the first *.spl file of the Windows directory. A copy claims the file it found by
// renaming it (atomically, in the same folder) to NAME.spl.<process id>.claimed, which no other copy's
// search matches; a copy that loses the race for a file tries the next one.
//
// Where the user may read and delete a spool file but not rename it (the Windows directory on Windows,
// where the print processor gives the user who printed just that right), the copy holds the file open
// so that no other copy can take it, works on a copy of it in the user's job folder (named as a claimed
// file is), and deletes the original through its handle once the job is done with or kept.

#include <optional>
#include <string>

namespace velto {

inline constexpr size_t kSpoolPathChars = 256;  // a spool path and its terminator must fit

// Claims the first *.spl file (any case) in `directory` in listing order whose full path fits the spool
// path buffer; the claimed file's path, or none when every spool file is taken (or there is none).
std::optional<std::string> ClaimFirstSpoolFile(const std::string& directory);

bool IsClaimedSpoolPath(const std::string& path);
// NAME.spl.<pid>.claimed → NAME.spl; any other path unchanged.
std::string UnclaimedSpoolPath(const std::string& path);

// Gives a claimed job back under its own name so that the next search finds it again (a cancelled Save
// dialog). When a new file of that name has appeared meanwhile, the job takes a free name beside it.
// True when the file was renamed.
bool ReleaseSpoolClaim(const std::string& claimedPath);

// Keeps a job that could not be converted out of the way of the next search: NAME.spl.failed (or
// NAME.spl.N.failed when that exists). The new path, or none when the file could not be renamed.
std::optional<std::string> SetSpoolFileAside(const std::string& spoolPath);

// A job done with: its spool file is deleted (and, for a job held open, the original too).
void FinishSpoolClaim(const std::string& spoolPath);

// Tests: claim every file as if the folder could not be renamed in.
void ClaimByCopyForTesting(bool copy);

}  // namespace velto
