#pragma once
// Dialogs on a character terminal. A dialog template's controls keep their positions in dialog units,
// which are also the dialog's client coordinates here; one character cell is 4 × 8 dialog units, so a
// 320 × 200 dialog fills 80 × 25 cells. The top row is the title bar (system-menu box, title, wait
// marker), the bottom row names the keys. Keys: Tab and the arrows move the focus, Enter or Space
// presses the focused button or link, Escape cancels, F10 or Alt-Space opens the system menu.
// Message boxes and child dialogs (the about box) are drawn over their owner and are modal.
// A terminal dialog is what the dialog logic sees through platform::DialogView on Linux.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialog_view.h"
#include "platform/dialogs.h"
#include "platform/printing/terminal.h"

namespace velto::platform {

enum class ControlKind { PushButton, Static, Link, ProgressBar, Picture };

struct DialogControl {
  int id = -1;  // -1: no identifier
  ControlKind kind = ControlKind::Static;
  DialogRect rect;
  std::string text;
  bool visible = true;
  bool isDefault = false;  // the default push button
  bool notify = false;     // a static that reports clicks (SS_NOTIFY)
  unsigned style = 0;      // a static's style: SS_LEFT 0, SS_CENTER 1, SS_RIGHT 2, SS_ICON 3, SS_BITMAP 14
  uint8_t textAttr = kPlain;
  int rangeLow = 0, rangeHigh = 100, position = 0;  // progress bars
  std::vector<std::string> picture;                 // lines of a picture (bitmap or icon)
  HyperlinkControl* link = nullptr;                 // the hyperlink attached to a static
  bool Focusable() const {
    return visible && (kind == ControlKind::PushButton || kind == ControlKind::Link || notify);
  }
};

// System commands, with the platform's SC_ values.
enum SystemCommand : int {
  SC_MOVE = 0xF010,
  SC_MINIMIZE = 0xF020,
  SC_CLOSE = 0xF060,
  SC_RESTORE = 0xF120,
};

struct SystemMenuItem {
  int command = 0;  // 0: a separator
  std::string text; // "&" marks the key letter
};

class TerminalDialog : public DialogView {
 public:
  TerminalDialog(std::string title, int widthUnits, int heightUnits, bool framed);
  ~TerminalDialog() override = default;
  TerminalDialog(const TerminalDialog&) = delete;
  TerminalDialog& operator=(const TerminalDialog&) = delete;

  DialogControl& AddControl(DialogControl control);
  DialogControl* Control(int id);
  const DialogControl* Control(int id) const;
  const std::string& Title() const { return title_; }
  int ClientWidth() const { return width_; }
  std::vector<SystemMenuItem>& SystemMenu() { return systemMenu_; }

  // Runs the dialog until EndDialog; drawn over `owner` when there is one. Returns the dialog's result.
  int RunModal(TerminalIo& io, TerminalDialog* owner = nullptr);
  bool Running() const { return io_ != nullptr; }
  TerminalIo* Io() const { return io_; }
  void SetBusy(bool busy);  // the wait cursor
  bool Busy() const { return busy_; }
  bool Minimized() const { return minimized_; }
  int IconId() const { return iconId_; }
  int FocusedId() const;
  void SetFocus(int id);

  // DialogView, in dialog units.
  std::optional<DialogRect> ControlRect(int id) const override;
  void MoveControl(int id, const DialogRect& rect) override;
  void ShowControl(int id, bool visible) override;
  std::string ControlText(int id) const override;
  void SetControlText(int id, const std::string& text) override;
  unsigned ControlStyle(int id) const override;
  int ClientHeight() const override { return height_; }
  void SetProgressRange(int id, int low, int high) override;
  void SetProgressPosition(int id, int position) override;
  void SetTitle(const std::string& title) override { title_ = title; }
  bool AppendSystemMenuItem(int command, const std::string& text) override;
  void SetIcon(int id) override { iconId_ = id; }
  // A message box over this dialog while it runs; before and after, the current dialog host's.
  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
  void SetWaitCursor(bool busy) override { SetBusy(busy); }
  // Draws the dialog now (UpdateWindow); nothing while it is not running.
  void Redraw() override;
  // The static becomes a link: it takes the focus, and Enter or Space presses it.
  bool AttachLink(int id, HyperlinkControl& link) override;
  void InvalidateControl(int id) override;
  void EndDialog(int result) override { result_ = result; }

  // The dialog's own handlers; the defaults do what the framework does.
  virtual void OnCommand(int id);            // buttons, notifying statics; IDOK/IDCANCEL end
  virtual void OnSysCommand(int command);    // system menu
  void DefaultSysCommand(int command);
  // Paints the client area; the default draws the controls. Return false to have the controls drawn.
  virtual bool OnPaint(ScreenCanvas& canvas, int row, int column) { (void)canvas; (void)row; (void)column; return false; }

  // The dialog that runs on top at the moment (for beeps and message boxes), or nullptr.
  static TerminalDialog* Active();

 protected:
  void DrawControls(ScreenCanvas& canvas, int row, int column) const;

 private:
  void Draw(ScreenCanvas& canvas) const;
  void DrawStack(ScreenCanvas& canvas) const;
  void Present();
  void MoveFocus(int step);
  void Press();  // Enter or Space on the focused control
  void ShowSystemMenu();
  int Origin(int canvasSize, int ownSize) const;

  std::string title_;
  int width_, height_;
  bool framed_;
  std::vector<DialogControl> controls_;
  std::vector<SystemMenuItem> systemMenu_;
  std::optional<int> result_;
  TerminalIo* io_ = nullptr;
  TerminalDialog* owner_ = nullptr;
  TerminalDialog* previousActive_ = nullptr;
  ScreenPresenter* presenter_ = nullptr;
  std::optional<ScreenPresenter> ownPresenter_;
  int focus_ = -1;  // index into controls_
  bool busy_ = false;
  bool minimized_ = false;
  int iconId_ = 0;
  std::function<void(ScreenCanvas&)> overlay_;  // a message box or menu being shown
};

// Sends the message boxes of every layer to the dialog on top (`dialog` or one it opened) while it lives,
// and puts the previous host back afterwards. Save dialogs go to the previous host.
class TerminalMessageBoxHost final : public DialogHost {
 public:
  explicit TerminalMessageBoxHost(TerminalDialog& dialog);
  TerminalDialog& Dialog() const { return dialog_; }
  ~TerminalMessageBoxHost() override;
  TerminalMessageBoxHost(const TerminalMessageBoxHost&) = delete;
  TerminalMessageBoxHost& operator=(const TerminalMessageBoxHost&) = delete;
  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override;
  SaveDialogResult SaveDialog(const SaveDialogRequest& request) override;

 private:
  TerminalDialog& dialog_;
  DialogHost& previous_;
};

// The name shown for a message box's icon ("Information", "Error", "Warning", "Question"), "" for none.
std::string MessageBoxIconName(unsigned style);

}  // namespace velto::platform
