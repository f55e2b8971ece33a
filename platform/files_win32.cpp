#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#undef ReplaceFile  // windows.h would rename the layer's own ReplaceFile to ReplaceFileA

#include <cerrno>
#include <cstring>
#include <functional>
#include <random>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/text_encoding.h"

namespace velto::platform {
namespace {

// The nearest errno for a Windows error code, so that callers see one kind of code everywhere.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
      return ENAMETOOLONG;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    default:
      return EIO;
  }
}

bool Fail() {
  errno = ErrnoOf(::GetLastError());
  return false;
}

DWORD AttributesOf(const std::string& path) { return ::GetFileAttributesW(Utf16(path).c_str()); }

}  // namespace

StdioFile OpenStdioFile(const std::string& path, const char* mode) {
  return StdioFile(::_wfopen(Utf16(path).c_str(), Utf16(mode).c_str()));
}

StdioFile OpenStdioFileForWriting(const std::string& path) { return OpenStdioFile(path, "wb"); }

std::filesystem::path FsPath(const std::string& path) { return std::filesystem::path(Utf16(path)); }

std::string Utf8Path(const std::filesystem::path& path) { return Utf8(path.wstring()); }

bool FileExists(const std::string& path) { return !path.empty() && AttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsRegularFile(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0;
}

bool IsSpecialFile(const std::string& path) {
  // Devices are named, not listed: NUL, CON, \\.\... There is nothing on disk to replace for them.
  return path.rfind("\\\\.\\", 0) == 0 || _stricmp(path.c_str(), "NUL") == 0 || _stricmp(path.c_str(), "CON") == 0;
}

bool RemoveFile(const std::string& path) {
  const std::wstring name = Utf16(path);
  if (::DeleteFileW(name.c_str())) return true;
  DWORD error = ::GetLastError();
  // A read-only file is removed as the other platform removes it, where only the folder's permission
  // counts: a job copied in read-only would otherwise stay claimed for ever.
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
      ::SetFileAttributesW(name.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY})) {
    if (::DeleteFileW(name.c_str())) return true;
    error = ::GetLastError();
    ::SetFileAttributesW(name.c_str(), attributes);
  }
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool ReplaceFile(const std::string& from, const std::string& to) {
  if (::MoveFileExW(Utf16(from).c_str(), Utf16(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  return Fail();
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
  // Without MOVEFILE_REPLACE_EXISTING the rename fails on an existing name, in one step.
  if (::MoveFileExW(Utf16(from).c_str(), Utf16(to).c_str(), 0)) return true;
  return Fail();
}

bool CreateNewFile(const std::string& path, bool /*ownerOnly: the folder's own permissions apply*/) {
  HANDLE file = ::CreateFileW(Utf16(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Fail();
  ::CloseHandle(file);
  return true;
}

StdioFile OpenForWritingUnlinked(const std::string& path) {
  HANDLE handle = ::CreateFileW(Utf16(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    Fail();
    return nullptr;
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), 0);
  if (fd < 0) {
    ::CloseHandle(handle);
    return nullptr;
  }
  StdioFile file(::_fdopen(fd, "wb"));
  if (!file) ::_close(fd);
  return file;
}

std::string FollowLinks(const std::string& path) { return path; }

std::optional<HeldFile> HeldFile::Hold(const std::string& path) {
  // Reading and deleting shared with readers only: another process that wants to take the file too
  // (read and delete) gets a sharing violation.
  HANDLE file = ::CreateFileW(Utf16(path).c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    errno = error == ERROR_SHARING_VIOLATION ? EBUSY : ErrnoOf(error);
    return std::nullopt;
  }
  return HeldFile(path, reinterpret_cast<intptr_t>(file));
}

void HeldFile::Release() {
  if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
}

bool HeldFile::CopyTo(const std::string& target) {
  if (handle_ == -1) {
    errno = EBADF;
    return false;
  }
  const HANDLE in = reinterpret_cast<HANDLE>(handle_);
  HANDLE out = ::CreateFileW(Utf16(target).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return Fail();
  LARGE_INTEGER start{};
  bool ok = ::SetFilePointerEx(in, start, nullptr, FILE_BEGIN) != FALSE;
  std::vector<char> buffer(65536);
  while (ok) {
    DWORD got = 0;
    if (!::ReadFile(in, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    DWORD put = 0;
    ok = ::WriteFile(out, buffer.data(), got, &put, nullptr) && put == got;
  }
  const DWORD error = ok ? 0 : ::GetLastError();
  if (!::CloseHandle(out)) ok = false;
  if (!ok) {
    ::DeleteFileW(Utf16(target).c_str());
    errno = ErrnoOf(error);
  }
  return ok;
}

bool HeldFile::Delete() {
  if (handle_ == -1) {
    errno = EBADF;
    return false;
  }
  // Marked for deletion through the handle: the file goes when the handle closes, whatever the folder
  // allows its renaming.
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  if (!::SetFileInformationByHandle(reinterpret_cast<HANDLE>(handle_), FileDispositionInfo, &disposition,
                                    sizeof disposition)) {
    return Fail();
  }
  Release();
  return true;
}

std::optional<std::vector<std::string>> ListFolder(const std::string& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW(Utf16(folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    if (::GetLastError() == ERROR_FILE_NOT_FOUND) return std::vector<std::string>{};
    return std::nullopt;
  }
  std::vector<std::string> names;
  do {
    std::string name = Utf8(found.cFileName);
    if (name != "." && name != "..") names.push_back(std::move(name));
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}

std::string CurrentFolder() {
  wchar_t buffer[MAX_PATH * 4];
  const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(std::size(buffer)), buffer);
  if (length == 0 || length >= std::size(buffer)) return ".";
  return Utf8(std::wstring(buffer, length));
}

bool SeekFile(std::FILE* file, int64_t offset, int origin) { return ::_fseeki64(file, offset, origin) == 0; }

int64_t TellFile(std::FILE* file) { return ::_ftelli64(file); }

uint32_t ProcessId() { return static_cast<uint32_t>(::GetCurrentProcessId()); }

void SetBinaryMode(std::FILE* file) { ::_setmode(::_fileno(file), _O_BINARY); }

bool IsTerminal(std::FILE* file) { return ::_isatty(::_fileno(file)) != 0; }

uint32_t UniqueNumber() {
  thread_local std::mt19937 engine{std::random_device{}() ^ ProcessId() ^
                                   static_cast<uint32_t>(std::hash<std::thread::id>{}(std::this_thread::get_id()))};
  return static_cast<uint32_t>(engine());
}

std::string SystemErrorText(int systemError) {
  if (systemError == 0) return "unknown error";
  return std::strerror(systemError);
}

}  // namespace velto::platform
