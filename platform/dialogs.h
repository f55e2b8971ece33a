#pragma once
// Modal user interface: message boxes and the Save dialog. On Windows they are the system's own
// (MessageBoxW, GetSaveFileNameW with the strip below the standard controls). On Linux they run on the
// terminal (/dev/tty): they print their texts and read the answer; without one the Save dialog is
// cancelled, questions take their safe answer (No) and message boxes go to standard error. Tests put a
// scripted double in place of the host.
// All texts are UTF-8 here (the program's GBK texts as they read).

#include <functional>
#include <string>
#include <vector>

namespace velto::platform {

// Message-box styles and results, with the platform's values.
enum MessageBoxStyle : unsigned {
  MB_OK = 0x0,
  MB_YESNO = 0x4,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONINFORMATION = 0x40,
};
enum DialogResult : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

class DialogView;

// One control of the strip that a dialog adds below the standard Save dialog (a button or a link):
// the user can activate it while the dialog is open, and the dialog stays open afterwards.
struct SaveDialogStripItem {
  int controlId = 0;               // the control's id in the strip's template
  std::string text;                // what it shows
  std::function<void()> activate;  // what clicking it does
  // Where the strip is a real window: what the item does to it when it opens (a link subclasses its
  // static, whose clicks it then answers itself).
  std::function<void(DialogView& strip)> attach;
};

struct SaveDialogRequest {
  std::string caption = "另存为";     // the dialog's title
  std::string initialName;             // file name offered at first
  std::vector<std::string> typeNames;  // the filter's type texts in order, e.g. "BMP  files (*.bmp)"
  std::vector<std::string> typePatterns;  // the filter's patterns in order, e.g. "*.bmp"
  unsigned flags = 0;                  // OFN_ flags
  unsigned structSize = 88;            // the parameter block's size (76: without the Windows 2000 fields)
  int stripTemplate = 0;               // the strip's dialog template (OFN_ENABLETEMPLATE); 0: none
  int besideCancelId = 0;              // a strip control moved to the strip's top, next to Cancel
  std::vector<SaveDialogStripItem> strip;  // controls added below the standard ones, in order
};

// Save-dialog flags, with the platform's OFN_ values.
enum SaveDialogFlag : unsigned {
  OFN_OVERWRITEPROMPT = 0x2,
  OFN_HIDEREADONLY = 0x4,
  OFN_ALLOWMULTISELECT = 0x200,
  OFN_PATHMUSTEXIST = 0x800,
  OFN_EXPLORER = 0x80000,
};

struct SaveDialogResult {
  bool ok = false;         // OK pressed (false: cancelled)
  std::string path;        // full path chosen
  std::string typeText;    // text of the file-type box when the dialog closed
};

class DialogHost {
 public:
  virtual ~DialogHost() = default;
  virtual int MessageBox(const std::string& text, const std::string& caption, unsigned style) = 0;
  virtual SaveDialogResult SaveDialog(const SaveDialogRequest& request) = 0;
};

// The system's host: the Win32 dialogs on Windows, the terminal elsewhere.
DialogHost& SystemDialogHost();
// The host in use: the system's host unless a test has set another.
DialogHost& CurrentDialogHost();
void SetDialogHost(DialogHost* host);  // nullptr restores the system's host; the caller keeps ownership

// Puts a host in place for the length of a scope, then the system's host again.
class ScopedDialogHost {
 public:
  explicit ScopedDialogHost(DialogHost& host) { SetDialogHost(&host); }
  ~ScopedDialogHost() { SetDialogHost(nullptr); }
  ScopedDialogHost(const ScopedDialogHost&) = delete;
  ScopedDialogHost& operator=(const ScopedDialogHost&) = delete;
};

// Shorthand for CurrentDialogHost().MessageBox.
int ShowMessageBox(const std::string& text, const std::string& caption, unsigned style);

// A window of the platform (an HWND on Windows); nullptr for none.
using WindowHandle = void*;
// The window that owns the message boxes and dialogs shown meanwhile: the dialog that runs on top of
// this thread (the control panel, the Save dialog's strip while one of its controls acts), else none.
WindowHandle OwnerWindow();
// Makes `window` the owner for the length of a scope, then the previous one again.
class ScopedOwnerWindow {
 public:
  explicit ScopedOwnerWindow(WindowHandle window);
  ~ScopedOwnerWindow();
  ScopedOwnerWindow(const ScopedOwnerWindow&) = delete;
  ScopedOwnerWindow& operator=(const ScopedOwnerWindow&) = delete;

 private:
  WindowHandle previous_;
};

}  // namespace velto::platform
