#include "app/fax_tool_app.h"

#include <strings.h>

#include "job/document_name.h"
#include "job/output_destination.h"
#include "printer/printer_setup.h"
#include "ui/control_panel.h"
#include "ui/save_dialog_strip.h"

namespace velto {

namespace {

struct Keyword {
  const char* text;
  size_t compared;  // how many characters of the command text must match
  CommandMode mode;
};

constexpr Keyword kKeywords[] = {
    {"INSTALL", 7, kModeInstall},
    {"UNINSTALL", 9, kModeUninstall},
    {"VELTO PRINT", 10, kModePrintJob},
    {"SHOWDIALOG", 10, kModeControlPanel},
};

}  // namespace

CommandModes SystemCommandModes() {
  return CommandModes{
      [] { InstallPrinter(); },
      [] { RemovePrinter(); },
      [](const std::string& commandText) {
        InstallSaveDialogStrip();  // the printer-properties button and the links below the Save dialog
        return CFaxToolApp::RunPrintJob(commandText);
      },
      [] { return RunControlPanel(); },
  };
}

CFaxToolApp::CFaxToolApp(std::string commandText, CommandModes modes)
    : commandText_(std::move(commandText)), modes_(std::move(modes)) {}

bool CFaxToolApp::InitInstance() {
  switch (ClassifyCommand(commandText_)) {
    case kModeInstall:
      if (modes_.install) modes_.install();
      break;
    case kModeUninstall:
      if (modes_.uninstall) modes_.uninstall();
      break;
    case kModePrintJob:
      if (modes_.printJob) exitCode_ = modes_.printJob(commandText_) > 0 ? 1 : 0;
      break;
    case kModeControlPanel:
      if (modes_.controlPanel) modes_.controlPanel();
      break;
    default:
      break;
  }
  return false;
}

int CFaxToolApp::ClassifyCommand(const std::string& commandText) {
  for (const auto& keyword : kKeywords) {
    if (::strncasecmp(commandText.c_str(), keyword.text, keyword.compared) == 0) return keyword.mode;
  }
  return kModeNone;
}

int CFaxToolApp::RunPrintJob(const std::string& commandText) {
  std::string buffer = commandText;
  CutToBytes(buffer, kCommandBufferChars - 1);  // the working buffer keeps the first 511 characters
  auto star = buffer.find('*');
  if (star == std::string::npos) return -1;
  return ProcessJob(buffer.substr(0, star), buffer.substr(star + 1));
}

}  // namespace velto
