// The dialog host in use and the owner of what it shows, on every platform.
#include "platform/dialogs.h"

namespace velto::platform {
namespace {

DialogHost* g_override = nullptr;
thread_local WindowHandle g_owner = nullptr;

}  // namespace

DialogHost& CurrentDialogHost() { return g_override ? *g_override : SystemDialogHost(); }

void SetDialogHost(DialogHost* host) { g_override = host; }

int ShowMessageBox(const std::string& text, const std::string& caption, unsigned style) {
  return CurrentDialogHost().MessageBox(text, caption, style);
}

WindowHandle OwnerWindow() { return g_owner; }

ScopedOwnerWindow::ScopedOwnerWindow(WindowHandle window) : previous_(g_owner) { g_owner = window; }

ScopedOwnerWindow::~ScopedOwnerWindow() { g_owner = previous_; }

}  // namespace velto::platform
