#pragma once
// The shell: opening a file or address with its associated program, and starting programs.
// On Windows the system's ShellExecute and CreateProcess. Elsewhere the system shell opens through
// xdg-open when it exists and starts executables directly, never through a command interpreter and never
// waiting unless asked; programs that are Windows system tools (rundll32 printui.dll, hh) are served
// there by built-in commands that other layers register. Tests put a recording double in its place.

#include <functional>
#include <string>
#include <vector>

namespace velto::platform {

// Results of Open, with the platform's values: above 32 means the file was opened or started.
inline constexpr int kShellFileNotFound = 2;      // SE_ERR_FNF
inline constexpr int kShellAccessDenied = 5;      // SE_ERR_ACCESSDENIED
inline constexpr int kShellNoAssociation = 31;    // SE_ERR_NOASSOC: nothing here can open the file
inline constexpr int kShellStarted = 42;

// Show commands, with the platform's SW_ values.
enum class ShowCommand : int { Hide = 0, Normal = 1, Minimize = 6, Show = 5 };

class Shell {
 public:
  virtual ~Shell() = default;
  // ShellExecuteA with the verb "open": `file` is a document, an address or a program; `parameters` is
  // the parameter text (split by the Windows command-line rules for a program). Returns a value above 32
  // on success, as the platform does, and 32 or less on failure.
  virtual int Open(const std::string& file, const std::string& parameters, ShowCommand show) = 0;
  // WinExec / CreateProcess: starts a command line. With `wait` it returns once the program has ended.
  // True when the program was started.
  virtual bool Run(const std::string& commandLine, ShowCommand show, bool wait) = 0;
};

// The shell in use: the system shell unless a test has set another.
Shell& CurrentShell();
// Puts `shell` in place of the system shell; nullptr restores it. The caller keeps ownership.
void SetShell(Shell* shell);

// A program that this platform provides itself (for instance "rundll32" with "printui.dll,PrintUIEntry").
// It receives the arguments after the program name and returns its exit code. Windows has the real
// programs: registering does nothing there.
using BuiltinProgram = std::function<int(const std::vector<std::string>& arguments)>;
// Registers `program` (compared without case, with or without ".exe") for the system shell's Run and Open.
void RegisterBuiltinProgram(const std::string& program, BuiltinProgram handler);

// Splits a command line into arguments by the Windows rules (CommandLineToArgvW): blanks separate,
// double quotes group, backslashes escape quotes only before a quote.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

}  // namespace velto::platform
