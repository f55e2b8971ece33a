#include "job/output_destination.h"

#include <cstdio>

#include "app/settings.h"
#include "job/convert_job.h"
#include "job/document_name.h"
#include "job/output_format.h"
#include "job/save_dialog.h"
#include "job/spool_claim.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/windows_directory.h"

namespace velto {

namespace {

std::string OverwriteQuestion(const std::string& path) {
  std::string text = "\" ";
  text.append(path).append(" \" 已经存在，你真的要继续吗？");
  return text;
}

}  // namespace

bool FindSpoolFile(std::string& spoolPath) {
  auto dir = platform::WindowsDirectory();
  if (!dir) return true;
  if (auto claimed = ClaimFirstSpoolFile(*dir)) spoolPath = *claimed;
  return true;
}

std::string AutoSaveFolder() { return platform::FolderOfSetting(ReadSettingText("save", "autosavedir", "c:\\")); }

bool ChooseOutputPath(std::string& path) {
  CleanDocumentName(path);
  if (ReadSettingInt("save", "savemode", 0) == 1) {
    std::string name = path + "." + FormatExtension(ReadSettingInt("save", "autosaveformat", 0));
    path = AutoSaveFolder() + name;
    return true;
  }
  CFileDialogEx dialog(false, "", path, kSaveDialogFlags, kSaveDialogFilter, nullptr);
  if (dialog.DoModal() != platform::IDOK) return false;
  std::string chosen = dialog.GetPathName();
  auto slash = chosen.rfind(platform::kPathSeparator);
  std::string fileName = slash == std::string::npos ? chosen : chosen.substr(slash + 1);
  if (fileName.find('.') != std::string::npos) {
    path = chosen;  // a typed extension wins over the selected type
    return true;
  }
  const std::string& type = dialog.TypeText();
  auto dot = type.find('.');
  if (dot == std::string::npos) {
    path = chosen;
    return true;
  }
  std::string extension = type.substr(dot);
  if (!extension.empty() && extension.back() == ')') extension.pop_back();
  path = chosen + extension;
  return true;
}

int ProcessJob(const std::string& placeholder, const std::string& documentName) {
  std::string spoolPath = placeholder;
  FindSpoolFile(spoolPath);
  const bool claimed = IsClaimedSpoolPath(spoolPath);
  // Without a spool file the job goes on to the reader, which then finds nothing; the placeholder text
  // itself is never taken for a file.
  if (!claimed) spoolPath.clear();

  for (;;) {
    std::string outputPath = documentName;
    CutToBytes(outputPath, kOutputPathChars - 1);
    if (!ChooseOutputPath(outputPath)) {
      if (claimed) ReleaseSpoolClaim(spoolPath);  // the job stays for a later try
      return 0;
    }
    const int saveMode = ReadSettingInt("save", "savemode", 0);
    if (outputPath.size() >= kOutputPathChars) {
      // A path this long does not fit; it is refused rather than cut into another path.
      if (saveMode == 1) {
        std::fprintf(stderr, "VeltoFaxTool: the output path is too long: %s\n", outputPath.c_str());
        if (claimed) {
          if (auto kept = SetSpoolFileAside(spoolPath)) {
            std::fprintf(stderr, "VeltoFaxTool: the print job is kept as %s\n", kept->c_str());
          }
        }
        return 1;
      }
      platform::ShowMessageBox("路径太长，请选择较短的文件名或文件夹。", "另存为",
                               platform::MB_OK | platform::MB_ICONEXCLAMATION);
      continue;
    }
    if (saveMode == 0 && ReadSettingInt("save", "chech3", 1) == 1 && platform::FileExists(outputPath)) {
      int answer = platform::ShowMessageBox(OverwriteQuestion(outputPath), "另存为",
                                            platform::MB_YESNO | platform::MB_ICONEXCLAMATION);
      if (answer != platform::IDYES) continue;
    }
    return ConvertJob(spoolPath, outputPath, documentName);
  }
}

}  // namespace velto
