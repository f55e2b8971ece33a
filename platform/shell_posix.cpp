// The system shell: xdg-open for documents and addresses, programs started directly.
#include "platform/shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>

extern char** environ;

namespace velto::platform {

namespace {

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The registry key of a program name: without case, folder (Windows spelling) or ".exe".
std::optional<std::string> BuiltinKey(const std::string& program) {
  if (program.empty() || program.find('/') != std::string::npos) return std::nullopt;  // a path of ours
  std::string name = program;
  if (auto slash = name.rfind('\\'); slash != std::string::npos) name = name.substr(slash + 1);
  name = LowerAscii(name);
  if (name.size() > 4 && name.ends_with(".exe")) name.resize(name.size() - 4);
  return name;
}

struct BuiltinRegistry {
  std::mutex mutex;
  std::map<std::string, BuiltinProgram> programs;
};

BuiltinRegistry& Builtins() {
  static BuiltinRegistry registry;
  return registry;
}

std::optional<BuiltinProgram> FindBuiltin(const std::string& program) {
  auto key = BuiltinKey(program);
  if (!key) return std::nullopt;
  auto& registry = Builtins();
  std::lock_guard lock(registry.mutex);
  auto it = registry.programs.find(*key);
  if (it == registry.programs.end()) return std::nullopt;
  return it->second;
}

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

// A program named without a folder is looked for along PATH, as execvp would.
std::optional<std::string> FindProgram(const std::string& program) {
  if (program.empty()) return std::nullopt;
  if (program.find('/') != std::string::npos) {
    return IsExecutableFile(program) ? std::optional(program) : std::nullopt;
  }
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    // An empty entry is the current folder.
    std::string candidate = end > start ? dirs.substr(start, end - start) : std::string(1, '.');
    candidate.append("/").append(program);
    if (IsExecutableFile(candidate)) return candidate;
    start = end + 1;
  }
  return std::nullopt;
}

// An address such as "http://…" or "mailto:…": a scheme of letters before the first ":".
bool LooksLikeAddress(const std::string& text) {
  auto colon = text.find(':');
  if (colon == std::string::npos || colon < 2) return false;  // "c:" is a drive, not a scheme
  for (size_t i = 0; i < colon; ++i) {
    char c = text[i];
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (i > 0 && ((c >= '0' && c <= '9') || c == '+' ||
                                                                              c == '-' || c == '.'));
    if (!ok) return false;
  }
  return true;
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor() { Close(); }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

void WriteErrno(int fd, int error) {
  ssize_t ignored = ::write(fd, &error, sizeof error);
  (void)ignored;
}

// Starts `program` with `arguments` (argv[0] included) directly, never through a command interpreter.
// Without `wait` the program is started from a short-lived intermediate process, so it is adopted by
// init and never stays behind as a zombie of ours, and its standard input is /dev/null. Returns true
// when the program was started (exec succeeded); with `wait` also once it has ended.
bool Spawn(const std::string& program, const std::vector<std::string>& arguments, bool wait) {
  // Everything the child needs is prepared before fork: nothing allocates afterwards.
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return false;
  FileDescriptor readEnd(pipeFds[0]);
  FileDescriptor writeEnd(pipeFds[1]);
  FileDescriptor nullInput(wait ? -1 : ::open("/dev/null", O_RDONLY | O_CLOEXEC));

  pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    if (!wait) {
      pid_t grandchild = ::fork();
      if (grandchild < 0) {
        WriteErrno(writeEnd.Get(), errno);
        ::_exit(127);
      }
      if (grandchild > 0) ::_exit(0);
      ::setsid();
      if (nullInput.Get() >= 0) ::dup2(nullInput.Get(), STDIN_FILENO);
    }
    ::execve(program.c_str(), argv.data(), environ);
    WriteErrno(writeEnd.Get(), errno);  // only reached when exec failed
    ::_exit(127);
  }
  writeEnd.Close();
  int error = 0;
  ssize_t got;
  do {
    got = ::read(readEnd.Get(), &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  bool started = got == 0;  // the pipe closed on a successful exec without a word
  if (!wait || !started) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return started;
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return true;
}

class SystemShell : public Shell {
 public:
  int Open(const std::string& file, const std::string& parameters, ShowCommand) override {
    if (file.empty()) return kShellFileNotFound;
    if (auto builtin = FindBuiltin(file)) {
      (*builtin)(SplitCommandLine(parameters));
      return kShellStarted;
    }
    if (Exists(file)) {
      if (IsExecutableFile(file)) return StartProgram(file, parameters);
      return OpenWithDesktop(file);
    }
    if (LooksLikeAddress(file)) return OpenWithDesktop(file);
    if (file.find('/') == std::string::npos) {
      if (auto program = FindProgram(file)) return StartProgram(*program, parameters);
    }
    return kShellFileNotFound;
  }

  bool Run(const std::string& commandLine, ShowCommand, bool wait) override {
    auto arguments = SplitCommandLine(commandLine);
    if (arguments.empty()) return false;
    if (auto builtin = FindBuiltin(arguments.front())) {
      (*builtin)(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
      return true;
    }
    auto program = FindProgram(arguments.front());
    if (!program) return false;
    return Spawn(*program, arguments, wait);
  }

 private:
  static int StartProgram(const std::string& program, const std::string& parameters) {
    std::vector<std::string> arguments{program};
    for (auto& a : SplitCommandLine(parameters)) arguments.push_back(std::move(a));
    return Spawn(program, arguments, false) ? kShellStarted : kShellAccessDenied;
  }

  // Documents and addresses go to the desktop's opener; without one nothing happens.
  static int OpenWithDesktop(const std::string& file) {
    auto opener = FindProgram("xdg-open");
    if (!opener) return kShellNoAssociation;
    return Spawn(*opener, {*opener, file}, false) ? kShellStarted : kShellNoAssociation;
  }
};

Shell* g_override = nullptr;

}  // namespace

Shell& CurrentShell() {
  static SystemShell systemShell;
  return g_override ? *g_override : systemShell;
}

void SetShell(Shell* shell) { g_override = shell; }

void RegisterBuiltinProgram(const std::string& program, BuiltinProgram handler) {
  auto key = BuiltinKey(program);
  if (!key) return;
  auto& registry = Builtins();
  std::lock_guard lock(registry.mutex);
  registry.programs[*key] = std::move(handler);
}

}  // namespace velto::platform
