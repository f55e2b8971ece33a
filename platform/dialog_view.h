#pragma once
// What the dialog logic of the control panel, the about box and the Save dialog's strip sees of a dialog
// window: its controls, their places and texts, the progress bar, the title and system menu, message
// boxes it owns, the wait cursor and repainting. The terminal dialog implements it on Linux, a Win32
// dialog on Windows; the logic above it is the same on both.
//
// Places are client coordinates of the dialog: dialog units on a terminal (one character cell is 4 × 8),
// pixels on Windows. The logic only adds, compares and divides them, so both serve.

#include <cstdint>
#include <optional>
#include <string>

namespace velto::platform {

struct DialogRect {
  int x = 0, y = 0, width = 0, height = 0;
  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
  bool operator==(const DialogRect&) const = default;
};

// What a hyperlink static (CStaticLink) answers to the window it is attached to.
class HyperlinkControl {
 public:
  virtual ~HyperlinkControl() = default;
  // The reflected control colour: true when the static draws as a link (underlined, in LinkColour(), on
  // a transparent background with the hollow brush); false keeps its default drawing.
  virtual bool OnCtlColor() = 0;
  virtual uint32_t LinkColour() const = 0;  // a COLORREF
  virtual void OnLButtonDown() = 0;
  // True when the hand cursor was set.
  virtual bool OnSetCursor() = 0;
};

class DialogView {
 public:
  virtual ~DialogView() = default;

  // The place of control `id`; no value when the dialog has no such control.
  virtual std::optional<DialogRect> ControlRect(int id) const = 0;
  // Moves control `id` (nothing when there is none) and repaints it.
  virtual void MoveControl(int id, const DialogRect& rect) = 0;
  virtual void ShowControl(int id, bool visible) = 0;
  virtual std::string ControlText(int id) const = 0;
  virtual void SetControlText(int id, const std::string& text) = 0;
  // The control's window style (for a static, its type in the low byte: SS_LEFT 0 ... SS_BITMAP 14).
  virtual unsigned ControlStyle(int id) const = 0;
  virtual int ClientHeight() const = 0;

  virtual void SetProgressRange(int id, int low, int high) = 0;
  virtual void SetProgressPosition(int id, int position) = 0;

  virtual void SetTitle(const std::string& title) = 0;
  // Appends an entry to the system menu (command 0: a separator); false when the window has none.
  virtual bool AppendSystemMenuItem(int command, const std::string& text) = 0;
  // Icon resource `id` as the window's big and small icon, drawn when the window is minimised.
  virtual void SetIcon(int id) = 0;

  // A message box owned by the dialog; the answer as DialogResult (platform/dialogs.h).
  virtual int MessageBox(const std::string& text, const std::string& caption, unsigned style) = 0;
  virtual void SetWaitCursor(bool busy) = 0;
  // Paints what changed now (UpdateWindow).
  virtual void Redraw() = 0;

  // Makes static `id` a hyperlink answering through `link`; false when the dialog has no such control.
  virtual bool AttachLink(int id, HyperlinkControl& link) = 0;
  // Control `id` looks different now (a link was visited): repaint it.
  virtual void InvalidateControl(int id) = 0;

  virtual void EndDialog(int result) = 0;
};

// MessageBeep: the default beep (a bell on the terminal). Counted, for tests.
void MessageBeep(unsigned type);
int MessageBeepCount();

// Shows the hand cursor over a link: true when there is one to show (the terminal always has it).
bool SetHandCursor();

}  // namespace velto::platform
