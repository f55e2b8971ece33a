#pragma once
// CStaticLink: a static text control of a dialog turned into a hyperlink. Its text shows underlined in
// link colour (blue, purple once visited); pressing it asks the shell to open the link's target (a web
// or "mailto:" address). A target the shell cannot open gives the default beep and leaves the link blue.

#include <cstdint>
#include <string>

#include "platform/printing/terminal_dialog.h"

namespace velto {

inline constexpr uint32_t kLinkColour = 0x00FF0000;         // RGB 0, 0, 255 as a COLORREF
inline constexpr uint32_t kVisitedLinkColour = 0x00800080;  // RGB 128, 0, 128

class CStaticLink {
 public:
  static constexpr const char* kClassName = "CStaticLink";
  static constexpr int HTCLIENT = 1;

  explicit CStaticLink(std::string link = "", bool deleteOnDestroy = false);

  void SetLink(std::string link) { link_ = std::move(link); }
  const std::string& Link() const { return link_; }
  uint32_t Colour() const { return colour_; }
  bool Visited() const { return colour_ == kVisitedLinkColour; }
  bool DeleteOnDestroy() const { return deleteOnDestroy_; }

  // Attaches the link to static `id` of `dialog` (the dialog's control becomes a link). False when the
  // dialog has no such control.
  bool SubclassDlgItem(int id, platform::TerminalDialog& dialog);

  // WM_NCHITTEST: the static takes the mouse.
  int OnNcHitTest() const { return HTCLIENT; }
  // The reflected control colour: text statics (left, centred or right aligned) draw underlined in the
  // link colour on a transparent background (true: the hollow brush is returned); other statics keep
  // their default drawing (false).
  bool OnCtlColor();
  // WM_LBUTTONDOWN: follows the link.
  void OnLButtonDown();
  // WM_SETCURSOR: true when the hand cursor was set.
  bool OnSetCursor();

  // Asks the shell to open `link`; the shell's result (above 32 on success).
  static int Navigate(const std::string& link);

 private:
  platform::DialogControl* Control() const;

  std::string link_;
  uint32_t colour_ = kLinkColour;
  bool fontCreated_ = false;
  bool deleteOnDestroy_;
  platform::TerminalDialog* dialog_ = nullptr;
  int id_ = -1;

  // One hand cursor per process, looked for once.
  static bool handCursorLoaded_;
  static bool handCursorSought_;
};

}  // namespace velto
