#pragma once
// The command line of the printer-setup entry point, "rundll32 printui.dll,PrintUIEntry <options>", as the
// installer and the control panel build it:
//   /ia /m "model" /h "Intel" /v "Windows 2000" /f package.inf   install a driver from a package
//   /k /n "printer"                                             print a test page
//   /e /n "printer"                                             show the printing preferences
// plus /q (no messages). An option's value may follow it as the next argument or be joined to it
// (/n"printer"). Exactly one operation must be given, with the values it needs.

#include <optional>
#include <string>
#include <vector>

namespace velto::platform {

struct PrintUiCommand {
  enum class Operation { InstallDriver, PrintTestPage, ShowPreferences };
  Operation operation = Operation::InstallDriver;
  std::string printerName;  // /n
  std::string model;        // /m
  std::string architecture; // /h
  std::string version;      // /v
  std::string packageFile;  // /f
  bool quiet = false;       // /q
};

// `arguments` are the PrintUIEntry options (the words after "printui.dll,PrintUIEntry"). No value when the
// command line is malformed; `error` then says why.
std::optional<PrintUiCommand> ParsePrintUiCommand(const std::vector<std::string>& arguments, std::string* error);

// The spooler environment that a /h architecture names ("Intel" → "Windows NT x86"); no value for one the
// setup entry does not know.
std::optional<std::string> EnvironmentOfArchitecture(const std::string& architecture);
// True for a /v version the setup entry knows ("Windows 2000", "Windows XP", "Type 3 - User Mode", ...).
bool KnownDriverVersion(const std::string& version);

}  // namespace velto::platform
