#include "platform/printing/print_ui_command.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace velto::platform {
namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

}  // namespace

std::optional<PrintUiCommand> ParsePrintUiCommand(const std::vector<std::string>& arguments, std::string* error) {
  auto fail = [&](std::string why) -> std::optional<PrintUiCommand> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  PrintUiCommand command;
  int operations = 0;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (word.empty()) continue;
    if (word.size() < 2 || word[0] != '/') return fail("unexpected argument \"" + word + "\"");
    if (word == "/ia" || word == "/k" || word == "/e") {
      ++operations;
      command.operation = word == "/ia" ? PrintUiCommand::Operation::InstallDriver
                          : word == "/k" ? PrintUiCommand::Operation::PrintTestPage
                                         : PrintUiCommand::Operation::ShowPreferences;
      continue;
    }
    if (word == "/q") {
      command.quiet = true;
      continue;
    }
    std::string* target = nullptr;
    switch (word[1]) {
      case 'n': target = &command.printerName; break;
      case 'm': target = &command.model; break;
      case 'h': target = &command.architecture; break;
      case 'v': target = &command.version; break;
      case 'f': target = &command.packageFile; break;
      default: return fail("unknown option \"" + word + "\"");
    }
    if (word.size() > 2) {
      *target = word.substr(2);
    } else if (i + 1 < arguments.size() && (arguments[i + 1].empty() || arguments[i + 1][0] != '/')) {
      *target = arguments[++i];
    } else {
      return fail("option " + word + " needs a value");
    }
  }
  if (operations != 1) return fail(operations == 0 ? "no operation given" : "more than one operation given");
  switch (command.operation) {
    case PrintUiCommand::Operation::InstallDriver:
      if (command.model.empty()) return fail("/ia needs /m");
      if (command.packageFile.empty()) return fail("/ia needs /f");
      if (!command.architecture.empty() && !EnvironmentOfArchitecture(command.architecture))
        return fail("unknown architecture \"" + command.architecture + "\"");
      if (!command.version.empty() && !KnownDriverVersion(command.version))
        return fail("unknown driver version \"" + command.version + "\"");
      break;
    case PrintUiCommand::Operation::PrintTestPage:
    case PrintUiCommand::Operation::ShowPreferences:
      if (command.printerName.empty()) return fail("the operation needs /n");
      break;
  }
  return command;
}

std::optional<std::string> EnvironmentOfArchitecture(const std::string& architecture) {
  if (EqualsNoCase(architecture, "Intel") || EqualsNoCase(architecture, "x86") ||
      EqualsNoCase(architecture, "Windows NT x86"))
    return "Windows NT x86";
  if (EqualsNoCase(architecture, "x64") || EqualsNoCase(architecture, "Windows x64")) return "Windows x64";
  return std::nullopt;
}

bool KnownDriverVersion(const std::string& version) {
  for (const char* known : {"Windows 2000", "Windows XP", "Windows NT 4.0", "Type 2 - Kernel Mode",
                            "Type 3 - User Mode"})
    if (EqualsNoCase(version, known)) return true;
  return false;
}

}  // namespace velto::platform
