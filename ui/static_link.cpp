#include "ui/static_link.h"

#include "platform/shell.h"
#include "res/resources.h"

namespace velto {

bool CStaticLink::handCursorLoaded_ = false;
bool CStaticLink::handCursorSought_ = false;

CStaticLink::CStaticLink(std::string link, bool deleteOnDestroy)
    : link_(std::move(link)), deleteOnDestroy_(deleteOnDestroy) {}

platform::DialogControl* CStaticLink::Control() const { return dialog_ ? dialog_->Control(id_) : nullptr; }

bool CStaticLink::SubclassDlgItem(int id, platform::TerminalDialog& dialog) {
  platform::DialogControl* control = dialog.Control(id);
  if (!control) return false;
  dialog_ = &dialog;
  id_ = id;
  if (control->kind == platform::ControlKind::Static) control->kind = platform::ControlKind::Link;
  OnCtlColor();
  return true;
}

bool CStaticLink::OnCtlColor() {
  platform::DialogControl* control = Control();
  if (!control) return false;
  const unsigned alignment = control->style & 0xFF;
  if (alignment > 2) return false;  // icons, bitmaps and the like keep their default drawing
  fontCreated_ = true;              // the underlined font, made once
  control->textAttr = static_cast<uint8_t>(platform::kUnderline |
                                           (colour_ == kVisitedLinkColour ? platform::kPurple : platform::kBlue));
  return true;
}

int CStaticLink::Navigate(const std::string& link) {
  return platform::CurrentShell().Open(link, "", platform::ShowCommand::Normal);
}

void CStaticLink::OnLButtonDown() {
  if (link_.empty()) {
    if (auto text = res::LoadStringResource(id_)) {
      link_ = *text;
    } else if (const platform::DialogControl* control = Control()) {
      link_ = control->text;
    }
  }
  if (link_.empty()) return;
  if (Navigate(link_) <= 32) {
    platform::MessageBeep(0);
    return;
  }
  colour_ = kVisitedLinkColour;
  OnCtlColor();
  if (dialog_) dialog_->Redraw();
}

bool CStaticLink::OnSetCursor() {
  if (!handCursorLoaded_ && !handCursorSought_) {
    handCursorSought_ = true;
    // Without the system help program's cursor any hand serves, and the terminal always has its own.
    handCursorLoaded_ = true;
  }
  return handCursorLoaded_;
}

}  // namespace velto
