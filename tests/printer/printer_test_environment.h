#pragma once
// A machine of our own for the printer tests: a Windows directory in a temporary folder, the program in a
// folder of its own with the driver package beside it, the print-processor library in the directory the
// program is started from, a virtual clock that records every pause, and scripted message boxes.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/dialogs_scripted.h"
#include "platform/printing/clock.h"
#include "platform/printing/state_file.h"
#include "platform/printing/system_paths.h"
#include "printer/service_control.h"
#include "tests/support/test_support.h"

namespace velto::test {

class VirtualClock final : public platform::Clock {
 public:
  uint64_t NowMs() override { return now; }
  void SleepMs(uint32_t ms) override {
    sleeps.push_back(ms);
    now += ms;
  }
  uint64_t now = 1'000'000;
  std::vector<uint32_t> sleeps;
};

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class PrinterEnvironment {
 public:
  PrinterEnvironment()
      : windowsDir(temp.File("win")),
        programDir(temp.File("prog")),
        startDir(temp.File("start")),
        windir("VELTO_WINDIR", windowsDir) {
    std::filesystem::create_directories(windowsDir);
    std::filesystem::create_directories(programDir);
    std::filesystem::create_directories(startDir);
    WriteTextFile(programDir + "/VeltoFaxTool", "#!/bin/sh\nexit 0\n");
    WriteTextFile(programDir + "/VeltoPrinter.inf", "; stand-in driver package\n[Models]\n\"Velto Print\"=VELTO.PPD\n");
    WriteTextFile(startDir + "/Vtproc.dll", "; stand-in print processor\n");
    platform::SetModuleFileNameForTesting(programDir + "/VeltoFaxTool");
    char buffer[4096];
    if (::getcwd(buffer, sizeof buffer)) previousDir = buffer;
    EnterStartDirectory();
    platform::SetClock(&clock);
    platform::SetDialogHost(&dialogs);
    SetServiceWaitLimit(30000);
  }
  ~PrinterEnvironment() {
    platform::SetDialogHost(nullptr);
    platform::SetClock(nullptr);
    platform::SetModuleFileNameForTesting(std::nullopt);
    platform::SimulateWindowsDirectoryFailure(false);
    SetServiceWaitLimit(30000);
    if (!previousDir.empty()) (void)!::chdir(previousDir.c_str());
  }
  PrinterEnvironment(const PrinterEnvironment&) = delete;
  PrinterEnvironment& operator=(const PrinterEnvironment&) = delete;

  void EnterStartDirectory() { (void)!::chdir(startDir.c_str()); }
  std::string Win(const std::string& relative) const { return windowsDir + "/" + relative; }
  platform::StateFile State(const std::string& relative) const { return platform::StateFile::Load(Win(relative)); }
  void WriteServices(const std::string& text) const { WriteTextFile(Win("services.ini"), text); }
  bool Paused(uint32_t ms) const {
    for (uint32_t s : clock.sleeps)
      if (s == ms) return true;
    return false;
  }

  TempDir temp;
  std::string windowsDir, programDir, startDir;
  ScopedEnv windir;
  std::string previousDir;
  VirtualClock clock;
  platform::ScriptedDialogHost dialogs;
};

}  // namespace velto::test
