#pragma once
// Dialog windows on Windows: a dialog window seen through platform::DialogView (its controls by
// identifier, in client pixels), hyperlink statics, and modal dialogs from the templates of the program's
// resources whose messages go to virtual handlers. Windows only.
//
// <windows.h> defines many names of platform/dialogs.h as macros: this header includes that one first,
// and takes back the macro MessageBox, which would rename the member functions of that name (the system's
// call is ::MessageBoxW).

#include "platform/dialog_view.h"
#include "platform/dialogs.h"

#include <windows.h>
#undef MessageBox

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>

namespace velto::platform {

// One owner for each handle of the GDI and USER objects the dialogs make.
struct FontDeleter {
  void operator()(HFONT font) const { ::DeleteObject(font); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;
struct IconDeleter {
  void operator()(HICON icon) const { ::DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

// The hand cursor of the links: cursor 106 of the system's help program (winhlp32.exe in the Windows
// directory) when it has one, else the system's hand (IDC_HAND). Looked for once per process; it lives
// until the process ends.
struct LinkCursor {
  HCURSOR cursor = nullptr;
  bool fromHelpProgram = false;
};
const LinkCursor& LinkHandCursor();

// UTF-8 text of a window.
std::string WindowText(HWND window);

// A dialog window seen through DialogView. Controls are found by identifier among its children; places
// are client pixels.
class Win32DialogView : public DialogView {
 public:
  Win32DialogView() = default;
  explicit Win32DialogView(HWND window) : window_(window) {}
  ~Win32DialogView() override;
  Win32DialogView(const Win32DialogView&) = delete;
  Win32DialogView& operator=(const Win32DialogView&) = delete;

  HWND Window() const { return window_; }
  void Attach(HWND window) { window_ = window; }
  bool Busy() const { return busy_; }

  std::optional<DialogRect> ControlRect(int id) const override;
  void MoveControl(int id, const DialogRect& rect) override;
  void ShowControl(int id, bool visible) override;
  std::string ControlText(int id) const override;
  void SetControlText(int id, const std::string& text) override;
  unsigned ControlStyle(int id) const override;
  int ClientHeight() const override;
  void SetProgressRange(int id, int low, int high) override;
  void SetProgressPosition(int id, int position) override;
  void SetTitle(const std::string& title) override;
  bool AppendSystemMenuItem(int command, const std::string& text) override;
  void SetIcon(int id) override;
  // Through the current dialog host, with this window as the owner.
  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
  void SetWaitCursor(bool busy) override;
  void Redraw() override;
  // Subclasses the static: it takes the mouse (WM_NCHITTEST answers HTCLIENT), a click follows the link,
  // the cursor over it is the hand.
  bool AttachLink(int id, HyperlinkControl& link) override;
  void InvalidateControl(int id) override;
  void EndDialog(int result) override;

  // The control-colour message of a static, reflected to its link: the brush to answer (the hollow
  // brush, with the underlined font, the link's colour and a transparent background selected into `dc`),
  // or nullptr for the default drawing.
  HBRUSH OnCtlColorStatic(HDC dc, HWND control);
  // WM_SETCURSOR while the wait cursor shows: true when handled.
  bool OnSetCursor();
  // WM_PAINT of a minimised window with an icon: draws the icon in the middle; true when it did.
  bool OnPaintMinimised();
  HICON Icon() const { return bigIcon_.get(); }

 private:
  // A static made a link: the link it answers for, the window procedure it had, and the underlined
  // font, made on first use and kept as long as the view.
  struct LinkWindow {
    HyperlinkControl* link = nullptr;
    HWND control = nullptr;
    WNDPROC previousProc = nullptr;
    UniqueFont font;
  };
  static LRESULT CALLBACK LinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  std::map<int, std::unique_ptr<LinkWindow>> links_;  // by control identifier
  UniqueIcon bigIcon_, smallIcon_;
  std::atomic<bool> busy_{false};  // read by whoever watches the dialog from another thread
  HCURSOR cursorBeforeWait_ = nullptr;
};

// A modal dialog from template `templateId` of the program's resources (DialogBoxParamW). While it runs
// it owns the message boxes and dialogs shown meanwhile (OwnerWindow).
class Win32Dialog : public Win32DialogView {
 public:
  explicit Win32Dialog(int templateId) : templateId_(templateId) {}

  // Runs the dialog over `owner`; EndDialog's result, or -1 when the dialog could not be made.
  INT_PTR DoModal(HWND owner = nullptr);

 protected:
  // WM_INITDIALOG: true to let the system set the focus.
  virtual bool OnInitDialog() { return true; }
  // WM_COMMAND: true when handled. The default ends the dialog with IDOK and IDCANCEL.
  virtual bool OnCommand(int id, int notification);
  // WM_SYSCOMMAND: true when handled; false gets the default handling.
  virtual bool OnSysCommand(unsigned command) {
    (void)command;
    return false;
  }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  int templateId_;
  std::optional<ScopedOwnerWindow> owner_;
};

// Registers the common controls the templates use (the progress bar); once per process.
void InitDialogControls();

}  // namespace velto::platform
