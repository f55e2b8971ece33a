#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "platform/program_arguments.h"
#include "platform/text_encoding.h"
#include "platform/windows_directory.h"

namespace velto::platform {

std::vector<std::string> ProgramArguments(int, const char* const*) {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!words) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8(words[i]));
  ::LocalFree(words);
  return arguments;
}

std::string ProgramCommandText(int, const char* const*) {
  // The program's name ends at the first blank, or at its closing quote when it is quoted.
  const wchar_t* text = ::GetCommandLineW();
  if (*text == L'"') {
    ++text;
    while (*text && *text != L'"') ++text;
    if (*text == L'"') ++text;
  } else {
    while (*text && *text != L' ' && *text != L'\t') ++text;
  }
  while (*text == L' ' || *text == L'\t') ++text;
  return Utf8(text);
}

void PrepareStandardStreams(bool keepMessagesWithoutConsole) {
  if (::GetConsoleWindow() != nullptr) {
    ::SetConsoleOutputCP(CP_UTF8);
    return;
  }
  // Without a console a GUI program's standard error goes nowhere; when it was not redirected by
  // whoever started the program, the messages are appended to a log file.
  if (!keepMessagesWithoutConsole) return;
  const HANDLE current = ::GetStdHandle(STD_ERROR_HANDLE);
  if (current != nullptr && current != INVALID_HANDLE_VALUE) return;
  const std::string folder = TempDirectory();
  if (folder.empty()) return;
  const std::string log = folder + "\\VeltoFaxTool.log";
  if (std::FILE* file = ::_wfreopen(Utf16(log).c_str(), L"a", stderr)) std::setvbuf(file, nullptr, _IONBF, 0);
}

}  // namespace velto::platform
