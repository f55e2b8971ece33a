#pragma once
// Files and folders, named by UTF-8 paths on every platform (Windows gets them as UTF-16 through the
// wide calls, so a Chinese file name works whatever the system's code page). Every call reports the
// system's error code (errno values, Windows codes mapped to the nearest errno) where it fails.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velto::platform {

// The separator a path is joined with ("%s\\%s" on Windows), and every character that separates.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
inline constexpr const char* kPathSeparators = "\\/";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr const char* kPathSeparators = "/";
#endif

struct StdioFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
// A C stdio stream that closes itself on every way out.
using StdioFile = std::unique_ptr<std::FILE, StdioFileCloser>;

// fopen of a UTF-8 path; errno is set when it fails.
StdioFile OpenStdioFile(const std::string& path, const char* mode);
// Opens a file to be written from its start, as "wb" does, except that an empty file (the temporary
// file of a replacing output) is not truncated: truncating a file, even an empty one, makes ext4 write
// it out to disk when it is closed, its guard against files replaced by truncation.
StdioFile OpenStdioFileForWriting(const std::string& path);

// A std::filesystem path for a UTF-8 path (for the standard streams and std::filesystem).
std::filesystem::path FsPath(const std::string& path);
// The UTF-8 text of a std::filesystem path.
std::string Utf8Path(const std::filesystem::path& path);

bool FileExists(const std::string& path);        // anything of that name
bool IsFolder(const std::string& path);          // a folder, links followed
bool IsRegularFile(const std::string& path);     // a plain file, links not followed
// A device, pipe or socket: something that is written in place rather than replaced.
bool IsSpecialFile(const std::string& path);

// Removes a file; true when it is gone. A missing file is no error of the caller's.
bool RemoveFile(const std::string& path);
// Renames, replacing an existing file of the new name in one step. False with errno set on failure.
bool ReplaceFile(const std::string& from, const std::string& to);
// Renames without ever replacing an existing file; of two processes renaming the same file, one wins.
// False with errno set (EEXIST when the new name is taken).
bool RenameNoReplace(const std::string& from, const std::string& to);
// Creates an empty file that did not exist before (EEXIST otherwise). `ownerOnly`: readable by its
// owner alone (temporary page files); else as any new file.
bool CreateNewFile(const std::string& path, bool ownerOnly);
// Opens a file for writing, made or emptied (owner-only when made), without following a link planted
// in its place.
StdioFile OpenForWritingUnlinked(const std::string& path);
// The file a link names (the path itself when it is no link).
std::string FollowLinks(const std::string& path);

// A file taken out of a folder in which one may read and delete it but not rename it (the spool files
// that the print processor leaves in the Windows directory for the user who printed): held open so that
// no other process can take it too, copied to where the program works on it, deleted through the handle.
class HeldFile {
 public:
  // No value when the file cannot be held (errno set; EBUSY when another process holds it).
  static std::optional<HeldFile> Hold(const std::string& path);
  HeldFile(HeldFile&& other) noexcept;
  HeldFile& operator=(HeldFile&& other) noexcept;
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  ~HeldFile();  // lets the file go, still in place unless deleted

  const std::string& Path() const { return path_; }
  // Copies the whole file to `target`, a name that must not exist yet. False with errno set.
  bool CopyTo(const std::string& target);
  // Deletes the file through its handle. False with errno set.
  bool Delete();

 private:
  HeldFile(std::string path, intptr_t handle) : path_(std::move(path)), handle_(handle) {}
  void Release();
  std::string path_;
  intptr_t handle_ = -1;  // a descriptor, or a Windows file handle
};

// The names in a folder in the order the file system lists them; no value when it cannot be read.
std::optional<std::vector<std::string>> ListFolder(const std::string& folder);
// The current folder; "." when it cannot be had.
std::string CurrentFolder();

// 64-bit positions in a stdio stream.
bool SeekFile(std::FILE* file, int64_t offset, int origin);
int64_t TellFile(std::FILE* file);

// This process's number, for names that must differ between processes.
uint32_t ProcessId();
// A fresh random number for temporary names, safe to ask for from several threads; collisions are
// caught by the exclusive creation of the name.
uint32_t UniqueNumber();

// Reads or writes the stream's bytes as they are (Windows would otherwise translate line ends).
void SetBinaryMode(std::FILE* file);

// True when the file is a terminal (progress lines are drawn only there).
bool IsTerminal(std::FILE* file);

// The system's text for an errno value ("No space left on device"); "unknown error" for 0.
std::string SystemErrorText(int systemError);

}  // namespace velto::platform
