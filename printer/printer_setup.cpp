#include "printer/printer_setup.h"

#include <cstdio>
#include <filesystem>

#include "platform/files.h"
#include "platform/printing/system_errors.h"
#include "platform/printing/system_paths.h"
#include "platform/shell.h"
#include "printer/default_printer.h"
#include "printer/port_configuration.h"
#include "printer/print_ui_entry.h"
#include "printer/printer_names.h"
#include "printer/printer_setup_steps.h"
#include "printer/registry_key.h"
#include "printer/service_control.h"

namespace velto {
namespace {

namespace fs = std::filesystem;
namespace pf = velto::platform;

// The command modes show nothing, but a spooler that never answered is worth a line on standard error.
void ReportServiceTimeout() {
  if (LastServiceRequestTimedOut())
    std::fprintf(stderr, "VeltoFaxTool: spooler: %s\n",
                 pf::FormatSystemMessage(pf::ERROR_SERVICE_REQUEST_TIMEOUT).value_or("").c_str());
}

}  // namespace

void CopySelfToWindowsDir() {
  auto windows = pf::GetWindowsDirectoryA();
  const std::string self = pf::ModuleFileName();
  if (!windows || self.empty()) return;  // no place to copy to: nothing is copied
  std::error_code ec;
  const fs::path target = pf::FsPath(*windows + pf::kPathSeparator + kInstalledProgramName);
  if (fs::equivalent(pf::FsPath(self), target, ec)) return;  // running the installed copy itself
  fs::copy_file(pf::FsPath(self), target, fs::copy_options::overwrite_existing, ec);
}

bool InstallPrintProcessor(const std::string& processorName, const std::string& library) {
  // A 32-bit program on 64-bit Windows registers the 64-bit processor (from the x64 folder) with the
  // 64-bit spooler: the x86 one would never be loaded, and copied there it would break printing.
  const std::optional<std::string> environment = pf::NativePrintEnvironment();
  const char* env = environment ? environment->c_str() : nullptr;
  const std::string source =
      environment ? std::string(kPrintProcessorFolderX64) + pf::kPathSeparator + library : library;
  char directory[256];
  uint32_t needed = 0;
  if (!pf::GetPrintProcessorDirectoryA(nullptr, env, 1, directory, sizeof directory, &needed)) return false;
  std::error_code ec;
  fs::copy_file(pf::FsPath(source), pf::FsPath(directory + std::string(1, pf::kPathSeparator) + library),
                fs::copy_options::overwrite_existing, ec);
  return pf::AddPrintProcessorA(nullptr, env, library.c_str(), processorName.c_str());
}

std::string ProgramDirectory() {
  std::string path = pf::ModuleFileName();
  size_t separator = path.find_last_of(pf::kPathSeparators);
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

bool InstallPrinterDriver(const std::string& model, const std::string& package) {
  char command[600];
  const char* setup = pf::NativePrintEnvironment() ? kDriverSetupCommandX64 : kDriverSetupCommand;
  std::snprintf(command, sizeof command, setup, model.c_str(), package.c_str());
  // The package name carries no directory: it is the package beside the program. When the directory
  // cannot be entered, the command looks for the package in the current directory and fails visibly.
  pf::SetCurrentDirectoryA(ProgramDirectory());
  RegisterPrinterSetupProgram();
  return pf::CurrentShell().Run(command, pf::ShowCommand::Normal, true);
}

platform::UniquePrinterHandle AddVeltoPrinter() {
  pf::PRINTER_INFO_2A info;
  info.pServerName = nullptr;
  info.pPrinterName = kPrinterName;
  info.pShareName = kPrinterShareName;
  info.pPortName = kPortName;
  info.pDriverName = kDriverName;
  info.pComment = kPrinterComment;
  info.pLocation = "";
  info.pDevMode = nullptr;
  info.pSepFile = "";
  info.pPrintProcessor = kPrintProcessorName;
  info.pDatatype = kPrinterDatatype;
  info.pParameters = "";
  info.pSecurityDescriptor = nullptr;
  info.Attributes = pf::PRINTER_ATTRIBUTE_QUEUED;
  return pf::UniquePrinterHandle(pf::AddPrinterA(nullptr, 2, &info));
}

void SetSpoolDirectory() {
  const std::string windows = pf::GetWindowsDirectoryA().value_or(kSpoolDirectoryFallback);
  RegistryKey key(pf::HKEY_LOCAL_MACHINE);
  if (key.Open(kPrinterRegistryKey)) key.SetString(kSpoolDirectoryValue, windows);
}

bool DeleteVeltoPrinter() {
  pf::PRINTER_DEFAULTSA defaults{nullptr, nullptr, pf::PRINTER_ALL_ACCESS};
  pf::UniquePrinterHandle printer;
  if (!pf::OpenPrinterA(kPrinterName, printer.Receive(), &defaults)) return false;
  // The printer goes when this handle closes; a printer that refuses deletion stays.
  pf::DeletePrinter(printer.Get());
  return true;
}

void RemovePrintProcessor() {
  const std::optional<std::string> environment = pf::NativePrintEnvironment();
  pf::DeletePrintProcessorA(nullptr, environment ? environment->c_str() : nullptr, kPrintProcessorName);
}

void RemovePrinterDriver() {
  const std::optional<std::string> environment = pf::NativePrintEnvironment();
  pf::DeletePrinterDriverA(nullptr, environment ? environment->c_str() : nullptr, kDriverName);
}

bool InstallPrinter() {
  CopySelfToWindowsDir();
  if (!StartService(kSpoolerService)) ReportServiceTimeout();
  InstallPrintProcessor(kPrintProcessorName, kPrintProcessorLibrary);
  InstallPrinterDriver(kDriverName, kDriverPackage);
  ConfigurePort(kPortNameWide, false);
  {
    pf::UniquePrinterHandle printer = AddVeltoPrinter();
    if (!printer) return false;
  }
  SetDefaultPrinter(kPrinterName);
  SetSpoolDirectory();
  if (!RestartService(kSpoolerService)) ReportServiceTimeout();
  return true;
}

void RemovePrinter() {
  DeleteVeltoPrinter();
  ConfigurePort(kPortNameWide, true);
  RemovePrintProcessor();
  RemovePrinterDriver();
}

}  // namespace velto
