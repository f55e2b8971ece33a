#include "printer/print_ui_entry.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/dialogs.h"
#include "platform/printing/print_ui_command.h"
#include "platform/printing/spooler.h"
#include "platform/printing/state_file.h"
#include "platform/printing/system_errors.h"
#include "platform/shell.h"
#include "printer/test_page.h"

namespace velto {
namespace {

namespace pf = velto::platform;

constexpr const char* kPrintUiCaption = "打印机用户界面";

int Fail(bool quiet, uint32_t code, const std::string& text) {
  pf::SetLastError(code);
  if (!quiet) pf::ShowMessageBox(text, kPrintUiCaption, pf::MB_OK | pf::MB_ICONERROR);
  return static_cast<int>(code);
}

std::string SystemText(uint32_t code) { return pf::FormatSystemMessage(code).value_or("未知错误。"); }

bool PackageNamesModel(const std::string& package, const std::string& model) {
  std::ifstream in(package, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::string quoted = "\"" + model + "\"";
  const std::string content = text.str();
  for (size_t at = 0; (at = content.find('"', at)) != std::string::npos; ++at)
    if (pf::EqualsNoCase(std::string_view(content).substr(at, quoted.size()), quoted)) return true;
  return false;
}

int InstallDriver(const pf::PrintUiCommand& command) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(command.packageFile, ec))
    return Fail(command.quiet, pf::ERROR_FILE_NOT_FOUND,
                "无法安装打印机驱动程序 \"" + command.model + "\"。\n" + SystemText(pf::ERROR_FILE_NOT_FOUND));
  if (!PackageNamesModel(command.packageFile, command.model))
    return Fail(command.quiet, pf::ERROR_UNKNOWN_PRINTER_DRIVER,
                "驱动程序包 " + command.packageFile + " 中没有型号 \"" + command.model + "\"。\n" +
                    SystemText(pf::ERROR_UNKNOWN_PRINTER_DRIVER));
  const std::string environment = pf::EnvironmentOfArchitecture(
      command.architecture.empty() ? "Intel" : command.architecture).value_or("Windows NT x86");
  const std::string version = command.version.empty() ? "Type 3 - User Mode" : command.version;
  if (!pf::InstallDriverFromPackage(command.model, environment, version, command.packageFile)) {
    const uint32_t code = pf::GetLastError();
    return Fail(command.quiet, code, "无法安装打印机驱动程序 \"" + command.model + "\"。\n" + SystemText(code));
  }
  return 0;
}

int OpenNamedPrinter(const pf::PrintUiCommand& command, pf::UniquePrinterHandle& printer) {
  pf::PRINTER_DEFAULTSA defaults{nullptr, nullptr, pf::PRINTER_ACCESS_USE};
  if (pf::OpenPrinterA(command.printerName.c_str(), printer.Receive(), &defaults)) return 0;
  const uint32_t code = pf::GetLastError();
  return Fail(command.quiet, code, "无法打开打印机 \"" + command.printerName + "\"。\n" + SystemText(code));
}

int TestPage(const pf::PrintUiCommand& command) {
  pf::UniquePrinterHandle printer;
  if (int code = OpenNamedPrinter(command, printer)) return code;
  if (!PrintTestPage(printer.Get())) {
    const uint32_t code = pf::GetLastError();
    return Fail(command.quiet, code, "无法打印测试页。\n" + SystemText(code));
  }
  if (!command.quiet)
    pf::ShowMessageBox("测试页已发送到打印机。", command.printerName, pf::MB_OK | pf::MB_ICONINFORMATION);
  return 0;
}

int Preferences(const pf::PrintUiCommand& command) {
  pf::UniquePrinterHandle printer;
  if (int code = OpenNamedPrinter(command, printer)) return code;
  if (!pf::ShowPrintingPreferences(printer.Get())) {
    const uint32_t code = pf::GetLastError();
    return Fail(command.quiet, code, SystemText(code));
  }
  return 0;
}

}  // namespace

int RunPrintUiEntry(const std::vector<std::string>& arguments) {
  bool quiet = false;
  for (const auto& word : arguments) quiet = quiet || word == "/q";
  const std::string entry = arguments.empty() ? std::string() : arguments.front();
  if (!pf::EqualsNoCase(entry, "printui.dll,PrintUIEntry") && !pf::EqualsNoCase(entry, "printui,PrintUIEntry")) {
    pf::SetLastError(pf::ERROR_MOD_NOT_FOUND);
    if (!quiet)
      pf::ShowMessageBox("加载 " + entry + " 时出错\n" + SystemText(pf::ERROR_MOD_NOT_FOUND), "RUNDLL",
                         pf::MB_OK | pf::MB_ICONERROR);
    return static_cast<int>(pf::ERROR_MOD_NOT_FOUND);
  }
  std::string why;
  auto command = pf::ParsePrintUiCommand(std::vector<std::string>(arguments.begin() + 1, arguments.end()), &why);
  if (!command)
    return Fail(quiet, pf::ERROR_INVALID_PARAMETER, "无法执行该操作：命令行参数无效（" + why + "）。");
  switch (command->operation) {
    case pf::PrintUiCommand::Operation::InstallDriver: return InstallDriver(*command);
    case pf::PrintUiCommand::Operation::PrintTestPage: return TestPage(*command);
    case pf::PrintUiCommand::Operation::ShowPreferences: return Preferences(*command);
  }
  return static_cast<int>(pf::ERROR_INVALID_PARAMETER);
}

void RegisterPrinterSetupProgram() {
  static const bool registered = [] {
    pf::RegisterBuiltinProgram("rundll32", [](const std::vector<std::string>& arguments) {
      return RunPrintUiEntry(arguments);
    });
    return true;
  }();
  (void)registered;
}

}  // namespace velto
