#pragma once
// The application: every start does one piece of work, chosen by the first word of the command text.

#include <functional>
#include <string>

namespace velto {

enum CommandMode : int {
  kModeNone = 0,
  kModeInstall = 101,      // "INSTALL"
  kModeUninstall = 102,    // "UNINSTALL"
  kModePrintJob = 103,     // "VELTO PRINT" (only "VELTO PRIN" is compared)
  kModeControlPanel = 104, // "SHOWDIALOG"
};

inline constexpr size_t kCommandBufferChars = 512;  // the job command text and its terminator

// The work behind each mode; tests put their own in place.
struct CommandModes {
  std::function<void()> install;
  std::function<void()> uninstall;
  std::function<int(const std::string& commandText)> printJob;
  std::function<int()> controlPanel;
};
CommandModes SystemCommandModes();

class CFaxToolApp {
 public:
  explicit CFaxToolApp(std::string commandText, CommandModes modes = SystemCommandModes());

  // Runs the one mode of this start. Always false: there is no message loop to enter afterwards.
  bool InitInstance();
  // The process's exit status after InitInstance: 1 when a print job was not written whole (it is then
  // kept), else 0. The print processor does not look at it; scripts and logs do.
  int ExitCode() const { return exitCode_; }

  static int ClassifyCommand(const std::string& commandText);
  // Splits the job command at its first "*": the text before it is the placeholder, the text after it
  // the document name. -1 without a "*", else the job's result (0, or 1 when it was not written whole).
  static int RunPrintJob(const std::string& commandText);

  const std::string& CommandText() const { return commandText_; }

 private:
  std::string commandText_;
  CommandModes modes_;
  int exitCode_ = 0;
};

}  // namespace velto
