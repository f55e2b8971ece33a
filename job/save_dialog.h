#pragma once
// CFileDialogEx: the Save dialog of job mode, the standard Save dialog with a strip of controls below
// it (template 101: the printer-properties button 1005, the web link 1012 and the mail link 1013).

#include <functional>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace velto {

// The filter string of the Save dialog: the eight output types in OutputFormat order.
inline constexpr const char* kSaveDialogFilter =
    "BMP  files (*.bmp)|*.bmp|TIFF files (*.tif)|*.tif|JPEG files (*.jpg)|*.jpg|GIF  files (*.gif)|*.gif|"
    "PDF  files (*.pdf)|*.pdf|PNG  files (*.png)|*.png|EMF  files (*.emf)|*.emf|TEXT files (*.txt)|*.txt||";
// OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_PATHMUSTEXIST | OFN_EXPLORER.
inline constexpr unsigned kSaveDialogFlags = 526854;
inline constexpr unsigned kOfnEnableHook = 0x20;      // OFN_ENABLEHOOK
inline constexpr unsigned kOfnEnableTemplate = 0x40;  // OFN_ENABLETEMPLATE
inline constexpr int kSaveDialogStripTemplate = 101;
inline constexpr int kPrinterPropertiesButton = 1005;
inline constexpr size_t kTypeTextChars = 20;  // the type text and its terminator

// Whoever provides the strip's controls (the printer-properties button and the two links) fills them in
// here; the dialog asks for them each time it opens. Without a provider the strip is empty.
using SaveDialogStripProvider = std::function<void(std::vector<platform::SaveDialogStripItem>& strip)>;
void SetSaveDialogStripProvider(SaveDialogStripProvider provider);

// Splits a filter string ("name|pattern|name|pattern||") into type names and patterns.
void SplitDialogFilter(const std::string& filter, std::vector<std::string>& names, std::vector<std::string>& patterns);

class CFileDialogEx {
 public:
  CFileDialogEx(bool openFileDialog, const std::string& defaultExtension, const std::string& fileName,
                unsigned flags, const std::string& filter, void* parentWindow = nullptr);

  // Runs the dialog modally: IDOK or IDCANCEL.
  int DoModal();

  std::string GetPathName() const { return pathName_; }
  // The text of the file-type box when the dialog closed (at most 19 characters).
  const std::string& TypeText() const { return typeText_; }
  unsigned Flags() const { return flags_; }
  unsigned StructSize() const { return structSize_; }

 private:
  void OnDestroyStrip(const std::string& typeBoxText);

  bool openFileDialog_;
  std::string defaultExtension_;
  std::string fileName_;
  unsigned flags_;
  std::string filter_;
  unsigned structSize_ = 0;
  std::string pathName_;
  std::string typeText_;
};

}  // namespace velto
