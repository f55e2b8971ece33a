#pragma once
// Dialogs on a character terminal. A dialog template's controls keep their positions in dialog units,
// which are also the dialog's client coordinates here; one character cell is 4 × 8 dialog units, so a
// 320 × 200 dialog fills 80 × 25 cells. The top row is the title bar (system-menu box, title, wait
// marker), the bottom row names the keys. Keys: Tab and the arrows move the focus, Enter or Space
// presses the focused button or link, Escape cancels, F10 or Alt-Space opens the system menu.
// Message boxes and child dialogs (the about box) are drawn over their owner and are modal.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/printing/terminal.h"

namespace velto::platform {

struct DialogRect {
  int x = 0, y = 0, width = 0, height = 0;  // dialog units
  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
  bool operator==(const DialogRect&) const = default;
};

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

class TerminalDialog {
 public:
  TerminalDialog(std::string title, int widthUnits, int heightUnits, bool framed);
  virtual ~TerminalDialog() = default;
  TerminalDialog(const TerminalDialog&) = delete;
  TerminalDialog& operator=(const TerminalDialog&) = delete;

  DialogControl& AddControl(DialogControl control);
  DialogControl* Control(int id);
  const DialogControl* Control(int id) const;
  void SetTitle(std::string title) { title_ = std::move(title); }
  const std::string& Title() const { return title_; }
  int ClientWidth() const { return width_; }
  int ClientHeight() const { return height_; }
  std::vector<SystemMenuItem>& SystemMenu() { return systemMenu_; }

  // Runs the dialog until EndDialog; drawn over `owner` when there is one. Returns the dialog's result.
  int RunModal(TerminalIo& io, TerminalDialog* owner = nullptr);
  void EndDialog(int result) { result_ = result; }
  bool Running() const { return io_ != nullptr; }
  TerminalIo* Io() const { return io_; }
  // Draws the dialog now (UpdateWindow); nothing while it is not running.
  void Redraw();
  void SetBusy(bool busy);  // the wait cursor
  bool Busy() const { return busy_; }
  bool Minimized() const { return minimized_; }
  int FocusedId() const;
  void SetFocus(int id);

  // A message box over this dialog; the answer as DialogResult.
  int MessageBox(const std::string& text, const std::string& caption, unsigned style);

  // The dialog's own handlers; the defaults do what the framework does.
  virtual void OnCommand(int id);            // buttons, links, notifying statics; IDOK/IDCANCEL end
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

// MessageBeep: a bell on the active dialog's terminal, else on standard error. Counted for tests.
void MessageBeep(unsigned type);
int MessageBeepCount();

// The name shown for a message box's icon ("Information", "Error", "Warning", "Question"), "" for none.
std::string MessageBoxIconName(unsigned style);

}  // namespace velto::platform
