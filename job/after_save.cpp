#include "job/after_save.h"

#include "app/settings.h"
#include "platform/files.h"
#include "spool/page_file_name.h"

namespace velto {

namespace {

// The file to launch, when one of that name exists.
bool LaunchableFile(std::string& file) {
  file = ReadSettingText("run", "exefilename", "");
  return !file.empty() && platform::FileExists(file);
}

// Appends one parameter item in double quotes.
void AppendQuoted(std::string& text, const std::string& item) {
  text.push_back('"');
  text.append(item);
  text.push_back('"');
}

void Launch(const std::string& file, const std::string& parameters, platform::ShowCommand show) {
  platform::CurrentShell().Open(file, parameters, show);  // not waited for; the result is not looked at
}

}  // namespace

platform::ShowCommand ShowCommandFor(int cmdShow) {
  if (cmdShow == 0) return platform::ShowCommand::Normal;
  if (cmdShow == 1) return platform::ShowCommand::Minimize;
  return platform::ShowCommand::Hide;
}

std::string AfterSaveParameters(const std::string& documentName, int k, const std::string& outputPath) {
  std::string parameters;
  if (ReadSettingInt("run", "PassParameter", 0) == 0) return parameters;
  if (ReadSettingInt("run", "chech1", 0) != 0) AppendQuoted(parameters, documentName);
  if (ReadSettingInt("run", "chech2", 0) != 0) AppendQuoted(parameters, std::to_string(k));
  if (ReadSettingInt("run", "chech3", 0) != 0) {
    AppendQuoted(parameters, MakePageFileName(outputPath, k).value_or(outputPath));
  }
  return parameters;
}

void RunBeforeConversion() {
  if (ReadSettingInt("run", "PrintTime", 1) != 0) return;
  if (ReadSettingInt("run", "enablerun", 0) == 0) return;
  std::string file;
  if (!LaunchableFile(file)) return;
  Launch(file, "", ShowCommandFor(ReadSettingInt("run", "CmdShow", 0)));
}

void RunAfterSave(const std::string& documentName, int k, const std::string& outputPath) {
  if (ReadSettingInt("run", "PrintTime", 1) != 1 || ReadSettingInt("run", "enablerun", 0) == 0) return;
  std::string file;
  if (!LaunchableFile(file)) return;
  platform::ShowCommand show = ShowCommandFor(ReadSettingInt("run", "CmdShow", 0));
  Launch(file, AfterSaveParameters(documentName, k, outputPath), show);
}

}  // namespace velto
