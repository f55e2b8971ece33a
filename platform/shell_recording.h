#pragma once
// A shell for tests: records every request instead of starting anything, and answers as told.

#include <string>
#include <vector>

#include "platform/shell.h"

namespace velto::platform {

struct ShellCall {
  enum class Kind { Open, Run } kind = Kind::Open;
  std::string file;        // Open: the file; Run: the command line
  std::string parameters;  // Open only
  ShowCommand show = ShowCommand::Normal;
  bool wait = false;       // Run only
};

class RecordingShell : public Shell {
 public:
  int Open(const std::string& file, const std::string& parameters, ShowCommand show) override {
    calls.push_back({ShellCall::Kind::Open, file, parameters, show, false});
    return openResult;
  }
  bool Run(const std::string& commandLine, ShowCommand show, bool wait) override {
    calls.push_back({ShellCall::Kind::Run, commandLine, {}, show, wait});
    return runResult;
  }

  std::vector<ShellCall> calls;
  int openResult = 42;
  bool runResult = true;
};

// Puts a shell in place for the length of a scope, then the system shell again.
class ScopedShell {
 public:
  explicit ScopedShell(Shell& shell) { SetShell(&shell); }
  ~ScopedShell() { SetShell(nullptr); }
  ScopedShell(const ScopedShell&) = delete;
  ScopedShell& operator=(const ScopedShell&) = delete;
};

}  // namespace velto::platform
