#include "job/save_dialog.h"

#include "job/document_name.h"
#include "platform/version.h"

namespace velto {

namespace {

SaveDialogStripProvider& StripProvider() {
  static SaveDialogStripProvider provider;
  return provider;
}

}  // namespace

void SetSaveDialogStripProvider(SaveDialogStripProvider provider) { StripProvider() = std::move(provider); }

void SplitDialogFilter(const std::string& filter, std::vector<std::string>& names, std::vector<std::string>& patterns) {
  names.clear();
  patterns.clear();
  size_t start = 0;
  bool isName = true;
  while (start < filter.size()) {
    size_t bar = filter.find('|', start);
    if (bar == std::string::npos) bar = filter.size();
    if (bar == start) break;  // "||" ends the filter
    (isName ? names : patterns).push_back(filter.substr(start, bar - start));
    isName = !isName;
    start = bar + 1;
  }
  if (patterns.size() < names.size()) names.resize(patterns.size());
}

CFileDialogEx::CFileDialogEx(bool openFileDialog, const std::string& defaultExtension, const std::string& fileName,
                             unsigned flags, const std::string& filter, void*)
    : openFileDialog_(openFileDialog),
      defaultExtension_(defaultExtension),
      fileName_(fileName),
      flags_(flags | kOfnEnableHook),
      filter_(filter) {}

int CFileDialogEx::DoModal() {
  // The parameter block's size: 76 on Windows 95/98/Me, 88 (with the Windows 2000 fields) on the NT line.
  platform::OsVersion version;
  structSize_ = (platform::QueryOsVersion(version) && version.platformId != 2) ? 76 : 88;
  flags_ |= kOfnEnableTemplate;  // the strip of template 101

  platform::SaveDialogRequest request;
  request.initialName = fileName_;
  SplitDialogFilter(filter_, request.typeNames, request.typePatterns);
  request.flags = flags_;
  request.structSize = structSize_;
  request.stripTemplate = kSaveDialogStripTemplate;
  request.besideCancelId = kPrinterPropertiesButton;  // the button moves up beside Cancel
  if (StripProvider()) StripProvider()(request.strip);

  platform::SaveDialogResult result = platform::CurrentDialogHost().SaveDialog(request);
  OnDestroyStrip(result.typeText);
  if (!result.ok) return platform::IDCANCEL;
  pathName_ = result.path;
  return platform::IDOK;
}

void CFileDialogEx::OnDestroyStrip(const std::string& typeBoxText) {
  typeText_ = typeBoxText;
  CutToBytes(typeText_, kTypeTextChars - 1);
}

}  // namespace velto
