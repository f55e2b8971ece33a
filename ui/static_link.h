#pragma once
// CStaticLink: a static text control of a dialog turned into a hyperlink. Its text shows underlined in
// link colour (blue, purple once visited); pressing it asks the shell to open the link's target (a web
// or "mailto:" address). A target the shell cannot open gives the default beep and leaves the link blue.
// The dialog window it is attached to (platform/dialog_view.h) draws it and hands it the mouse.

#include <cstdint>
#include <string>

#include "platform/dialog_view.h"

namespace velto {

inline constexpr uint32_t kLinkColour = 0x00FF0000;         // RGB 0, 0, 255 as a COLORREF
inline constexpr uint32_t kVisitedLinkColour = 0x00800080;  // RGB 128, 0, 128

class CStaticLink : public platform::HyperlinkControl {
 public:
  static constexpr const char* kClassName = "CStaticLink";
  static constexpr int kHitClient = 1;  // HTCLIENT

  explicit CStaticLink(std::string link = "", bool deleteOnDestroy = false);

  void SetLink(std::string link) { link_ = std::move(link); }
  const std::string& Link() const { return link_; }
  uint32_t Colour() const { return colour_; }
  bool Visited() const { return colour_ == kVisitedLinkColour; }
  bool DeleteOnDestroy() const { return deleteOnDestroy_; }

  // Attaches the link to static `id` of `dialog` (the dialog's control becomes a link). False when the
  // dialog has no such control.
  bool SubclassDlgItem(int id, platform::DialogView& dialog);

  // WM_NCHITTEST: the static takes the mouse.
  int OnNcHitTest() const { return kHitClient; }
  // The reflected control colour: text statics (left, centred or right aligned) draw underlined in the
  // link colour on a transparent background (true: the hollow brush is returned); other statics keep
  // their default drawing (false).
  bool OnCtlColor() override;
  uint32_t LinkColour() const override { return colour_; }
  // WM_LBUTTONDOWN: follows the link.
  void OnLButtonDown() override;
  // WM_SETCURSOR: true when the hand cursor was set.
  bool OnSetCursor() override;

  // Asks the shell to open `link`; the shell's result (above 32 on success).
  static int Navigate(const std::string& link);

 private:
  std::string link_;
  uint32_t colour_ = kLinkColour;  // the underlined font is the window's, made on first use
  bool deleteOnDestroy_;
  platform::DialogView* dialog_ = nullptr;
  int id_ = -1;
};

}  // namespace velto
