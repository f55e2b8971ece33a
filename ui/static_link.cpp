#include "ui/static_link.h"

#include "platform/shell.h"
#include "res/resources.h"

namespace velto {

CStaticLink::CStaticLink(std::string link, bool deleteOnDestroy)
    : link_(std::move(link)), deleteOnDestroy_(deleteOnDestroy) {}

bool CStaticLink::SubclassDlgItem(int id, platform::DialogView& dialog) {
  if (!dialog.ControlRect(id)) return false;
  dialog_ = &dialog;
  id_ = id;
  return dialog.AttachLink(id, *this);
}

bool CStaticLink::OnCtlColor() {
  if (!dialog_) return false;
  const unsigned type = dialog_->ControlStyle(id_) & 0xFF;
  return type <= 2;  // icons, bitmaps and the like keep their default drawing
}

int CStaticLink::Navigate(const std::string& link) {
  return platform::CurrentShell().Open(link, "", platform::ShowCommand::Normal);
}

void CStaticLink::OnLButtonDown() {
  if (link_.empty()) {
    if (auto text = res::LoadStringResource(id_)) {
      link_ = *text;
    } else if (dialog_) {
      link_ = dialog_->ControlText(id_);
    }
  }
  if (link_.empty()) return;
  if (Navigate(link_) <= 32) {
    platform::MessageBeep(0);
    return;
  }
  colour_ = kVisitedLinkColour;
  if (dialog_) dialog_->InvalidateControl(id_);
}

// The hand cursor is one per process, looked for once (the platform keeps it).
bool CStaticLink::OnSetCursor() { return platform::SetHandCursor(); }

}  // namespace velto
