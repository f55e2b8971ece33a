// The system's dialogs: message boxes (MessageBoxW) and the Save dialog (GetSaveFileNameW, Explorer
// style), with the request's strip below the standard controls. Texts are UTF-8 in the program and go
// to the wide calls, so Chinese texts show whatever the system's code page.
#include "platform/win32_dialog.h"

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <vector>

#include "platform/text_encoding.h"

namespace velto::platform {
namespace {

// Room for the chosen path; the program refuses paths of 256 characters or more itself, with a message.
constexpr size_t kPathChars = 1024;

// The Save dialog while it is open: the request, the strip's window and what the strip saw.
struct SaveDialogSession {
  const SaveDialogRequest& request;
  Win32DialogView strip;
  std::string typeText;
};

// "name|pattern|...||" as the system wants it: "name\0pattern\0...\0\0".
std::wstring SystemFilter(const SaveDialogRequest& request) {
  std::wstring filter;
  for (size_t i = 0; i < request.typeNames.size() && i < request.typePatterns.size(); ++i) {
    filter += Utf16(request.typeNames[i]);
    filter.push_back(L'\0');
    filter += Utf16(request.typePatterns[i]);
    filter.push_back(L'\0');
  }
  filter.push_back(L'\0');
  return filter;
}

// Moves strip control `id` to the top of the strip, 4 pixels left of the standard dialog's Cancel
// button, unchanged in size: in the strip's client coordinates it then stands just below Cancel.
void PlaceBesideCancel(HWND strip, int id) {
  HWND button = ::GetDlgItem(strip, id);
  HWND cancel = ::GetDlgItem(::GetParent(strip), IDCANCEL);
  if (!button || !cancel) return;
  RECT cancelRect{};
  ::GetWindowRect(cancel, &cancelRect);
  ::MapWindowPoints(nullptr, strip, reinterpret_cast<POINT*>(&cancelRect), 2);
  ::SetWindowPos(button, nullptr, cancelRect.left - 4, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

const SaveDialogStripItem* StripButton(const SaveDialogRequest& request, int id) {
  for (const auto& item : request.strip)
    if (item.controlId == id && !item.attach && item.activate) return &item;
  return nullptr;
}

UINT_PTR CALLBACK StripHook(HWND strip, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* parameters = reinterpret_cast<const OPENFILENAMEW*>(lParam);
    auto* session = reinterpret_cast<SaveDialogSession*>(parameters->lCustData);
    ::SetWindowLongPtrW(strip, DWLP_USER, reinterpret_cast<LONG_PTR>(session));
    session->strip.Attach(strip);
    HWND dialog = ::GetParent(strip);
    ::SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    if (session->request.besideCancelId) PlaceBesideCancel(strip, session->request.besideCancelId);
    for (const auto& item : session->request.strip)
      if (item.attach) item.attach(session->strip);
    return TRUE;
  }
  auto* session = reinterpret_cast<SaveDialogSession*>(::GetWindowLongPtrW(strip, DWLP_USER));
  if (!session) return FALSE;
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        if (const SaveDialogStripItem* item = StripButton(session->request, LOWORD(wParam))) {
          // What the button shows comes above the dialog, which therefore stops being topmost.
          ::SetWindowPos(::GetParent(strip), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
          ScopedOwnerWindow owner(strip);
          item->activate();
          return TRUE;
        }
      }
      return FALSE;
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<UINT_PTR>(
          session->strip.OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_NOTIFY:
      // The type shown so far, in case the box is emptied before the strip goes (Wine empties it first).
      switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
        case CDN_INITDONE:
        case CDN_TYPECHANGE:
        case CDN_FILEOK:
          session->typeText = WindowText(::GetDlgItem(::GetParent(strip), cmb1));
          break;
        default:
          break;
      }
      return FALSE;
    case WM_DESTROY:
      // The file-type box of the standard dialog as it is when the strip goes.
      if (std::string shown = WindowText(::GetDlgItem(::GetParent(strip), cmb1)); !shown.empty()) {
        session->typeText = shown;
      }
      return FALSE;
    case WM_NCDESTROY:
      session->strip.Attach(nullptr);
      return FALSE;
    default:
      return FALSE;
  }
}

class Win32DialogHost : public DialogHost {
 public:
  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override {
    return ::MessageBoxW(static_cast<HWND>(OwnerWindow()), Utf16(text).c_str(), Utf16(caption).c_str(), style);
  }

  SaveDialogResult SaveDialog(const SaveDialogRequest& request) override {
    InitDialogControls();
    SaveDialogSession session{request, {}, {}};
    const std::wstring filter = SystemFilter(request);
    std::vector<wchar_t> file(kPathChars, L'\0');
    const std::wstring initial = Utf16(request.initialName);
    std::copy_n(initial.begin(), std::min(initial.size(), kPathChars - 1), file.begin());

    OPENFILENAMEW parameters{};
    parameters.lStructSize = std::min<DWORD>(request.structSize, sizeof parameters);
    parameters.hwndOwner = static_cast<HWND>(OwnerWindow());
    parameters.hInstance = ::GetModuleHandleW(nullptr);
    parameters.lpstrFilter = filter.c_str();
    parameters.nFilterIndex = 0;  // no type preselected: the first is current
    parameters.lpstrFile = file.data();
    parameters.nMaxFile = static_cast<DWORD>(file.size());
    parameters.Flags = request.flags | OFN_ENABLEHOOK;
    if (request.stripTemplate) {
      parameters.Flags |= OFN_ENABLETEMPLATE;
      parameters.lpTemplateName = MAKEINTRESOURCEW(request.stripTemplate);
    } else {
      parameters.Flags &= ~static_cast<DWORD>(OFN_ENABLETEMPLATE);
    }
    parameters.lpfnHook = &StripHook;
    parameters.lCustData = reinterpret_cast<LPARAM>(&session);

    SaveDialogResult result;
    result.ok = ::GetSaveFileNameW(&parameters) != FALSE;
    result.typeText = session.typeText;
    if (result.ok) result.path = Utf8(file.data());
    return result;
  }
};

}  // namespace

DialogHost& SystemDialogHost() {
  static Win32DialogHost host;
  return host;
}

}  // namespace velto::platform
