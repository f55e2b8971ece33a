// Dialog windows on Windows: DialogView over a dialog's window, hyperlink statics, modal dialogs from the
// program's templates.
#include "platform/win32_dialog.h"

#include <commctrl.h>

#include <atomic>
#include <vector>

#include "platform/text_encoding.h"

namespace velto::platform {
namespace {

constexpr const wchar_t* kLinkProperty = L"VeltoHyperlink";
constexpr int kHelpProgramHandCursor = 106;

std::atomic<int> beeps{0};

HWND Item(HWND dialog, int id) { return dialog ? ::GetDlgItem(dialog, id) : nullptr; }

// An icon of the program's resources at the given size, owned by the caller.
UniqueIcon LoadProgramIcon(int id, int width, int height) {
  return UniqueIcon(static_cast<HICON>(
      ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, 0)));
}

}  // namespace

void MessageBeep(unsigned type) {
  ++beeps;
  ::MessageBeep(type);
}

int MessageBeepCount() { return beeps; }

const LinkCursor& LinkHandCursor() {
  static const LinkCursor hand = [] {
    static UniqueIcon owned;  // our copy, kept until the process ends
    LinkCursor found;
    wchar_t directory[MAX_PATH];
    const UINT length = ::GetWindowsDirectoryW(directory, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      std::wstring helpProgram = std::wstring(directory, length) + L"\\winhlp32.exe";
      if (HMODULE module = ::LoadLibraryExW(helpProgram.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        owned.reset(static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(kHelpProgramHandCursor), IMAGE_CURSOR,
                                                    0, 0, LR_DEFAULTSIZE)));
        ::FreeLibrary(module);
        found.fromHelpProgram = owned != nullptr;
      }
    }
    if (!owned) owned.reset(::CopyIcon(::LoadCursorA(nullptr, IDC_HAND)));
    found.cursor = owned.get();
    return found;
  }();
  return hand;
}

bool SetHandCursor() {
  const LinkCursor& hand = LinkHandCursor();
  if (!hand.cursor) return false;
  ::SetCursor(hand.cursor);
  return true;
}

std::string WindowText(HWND window) {
  if (!window) return {};
  const int length = ::GetWindowTextLengthW(window);
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
  const int copied = ::GetWindowTextW(window, buffer.data(), length + 1);
  return Utf8(std::wstring_view(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0)));
}

void InitDialogControls() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    return ::InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)done;
}

Win32DialogView::~Win32DialogView() {
  for (auto& [id, entry] : links_) {
    if (entry->control && ::IsWindow(entry->control)) {
      ::SetWindowLongPtrW(entry->control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry->previousProc));
      ::RemovePropW(entry->control, kLinkProperty);
    }
  }
}

std::optional<DialogRect> Win32DialogView::ControlRect(int id) const {
  HWND control = Item(window_, id);
  if (!control) return std::nullopt;
  RECT rect{};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&rect), 2);
  return DialogRect{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void Win32DialogView::MoveControl(int id, const DialogRect& rect) {
  if (HWND control = Item(window_, id)) ::MoveWindow(control, rect.x, rect.y, rect.width, rect.height, TRUE);
}

void Win32DialogView::ShowControl(int id, bool visible) {
  if (HWND control = Item(window_, id)) ::ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}

std::string Win32DialogView::ControlText(int id) const { return WindowText(Item(window_, id)); }

void Win32DialogView::SetControlText(int id, const std::string& text) {
  if (HWND control = Item(window_, id)) ::SetWindowTextW(control, Utf16(text).c_str());
}

unsigned Win32DialogView::ControlStyle(int id) const {
  HWND control = Item(window_, id);
  return control ? static_cast<unsigned>(::GetWindowLongW(control, GWL_STYLE)) : 0;
}

int Win32DialogView::ClientHeight() const {
  RECT client{};
  if (window_) ::GetClientRect(window_, &client);
  return client.bottom - client.top;
}

void Win32DialogView::SetProgressRange(int id, int low, int high) {
  if (HWND control = Item(window_, id)) ::SendMessageW(control, PBM_SETRANGE32, static_cast<WPARAM>(low), high);
}

void Win32DialogView::SetProgressPosition(int id, int position) {
  if (HWND control = Item(window_, id)) ::SendMessageW(control, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void Win32DialogView::SetTitle(const std::string& title) {
  if (window_) ::SetWindowTextW(window_, Utf16(title).c_str());
}

bool Win32DialogView::AppendSystemMenuItem(int command, const std::string& text) {
  HMENU menu = window_ ? ::GetSystemMenu(window_, FALSE) : nullptr;
  if (!menu) return false;
  if (command == 0) return ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr) != FALSE;
  return ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(command), Utf16(text).c_str()) != FALSE;
}

void Win32DialogView::SetIcon(int id) {
  bigIcon_ = LoadProgramIcon(id, ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
  smallIcon_ = LoadProgramIcon(id, ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON));
  if (!window_) return;
  ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
  ::SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
}

int Win32DialogView::MessageBox(const std::string& text, const std::string& caption, unsigned style) {
  ScopedOwnerWindow owner(window_);
  return CurrentDialogHost().MessageBox(text, caption, style);
}

void Win32DialogView::SetWaitCursor(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) {
    cursorBeforeWait_ = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
  } else {
    ::SetCursor(cursorBeforeWait_ ? cursorBeforeWait_ : ::LoadCursorA(nullptr, IDC_ARROW));
  }
}

bool Win32DialogView::OnSetCursor() {
  if (!busy_) return false;
  ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
  return true;
}

void Win32DialogView::Redraw() {
  if (window_) ::RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool Win32DialogView::AttachLink(int id, HyperlinkControl& link) {
  HWND control = Item(window_, id);
  if (!control) return false;
  auto& entry = links_[id];
  if (entry && entry->control == control) {
    entry->link = &link;  // attached again: only the link changes
    return true;
  }
  entry = std::make_unique<LinkWindow>();
  entry->link = &link;
  entry->control = control;
  ::SetPropW(control, kLinkProperty, entry.get());
  entry->previousProc = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32DialogView::LinkProc)));
  return true;
}

LRESULT CALLBACK Win32DialogView::LinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* entry = static_cast<LinkWindow*>(::GetPropW(window, kLinkProperty));
  if (!entry) return ::DefWindowProcW(window, message, wParam, lParam);
  const WNDPROC previous = entry->previousProc;
  switch (message) {
    case WM_NCHITTEST:
      return HTCLIENT;  // a static without SS_NOTIFY is transparent to the mouse otherwise
    case WM_LBUTTONDOWN:
      entry->link->OnLButtonDown();
      return 0;
    case WM_SETCURSOR:
      if (entry->link->OnSetCursor()) return TRUE;
      break;
    case WM_NCDESTROY:
      ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      ::RemovePropW(window, kLinkProperty);
      entry->control = nullptr;
      break;
    default:
      break;
  }
  return ::CallWindowProcW(previous, window, message, wParam, lParam);
}

HBRUSH Win32DialogView::OnCtlColorStatic(HDC dc, HWND control) {
  for (auto& [id, entry] : links_) {
    if (entry->control != control) continue;
    if (!entry->link->OnCtlColor()) return nullptr;  // icons and bitmaps draw as they always do
    if (!entry->font) {
      HFONT current = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
      if (!current) current = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
      LOGFONTW font{};
      ::GetObjectW(current, sizeof font, &font);
      font.lfUnderline = TRUE;
      entry->font.reset(::CreateFontIndirectW(&font));
      // Also the control's own font from now on: some statics (Wine's) select their font only after
      // asking for the colours, over the one selected here.
      if (entry->font) ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(entry->font.get()), FALSE);
    }
    if (entry->font) ::SelectObject(dc, entry->font.get());
    ::SetTextColor(dc, static_cast<COLORREF>(entry->link->LinkColour()));
    ::SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
  }
  return nullptr;
}

void Win32DialogView::InvalidateControl(int id) {
  if (HWND control = Item(window_, id)) ::InvalidateRect(control, nullptr, TRUE);
}

void Win32DialogView::EndDialog(int result) {
  if (window_) ::EndDialog(window_, result);
}

bool Win32DialogView::OnPaintMinimised() {
  if (!window_ || !::IsIconic(window_) || !bigIcon_) return false;
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(window_, &paint);
  ::SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client{};
  ::GetClientRect(window_, &client);
  const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc, x, y, bigIcon_.get());
  ::EndPaint(window_, &paint);
  return true;
}

INT_PTR Win32Dialog::DoModal(HWND owner) {
  InitDialogControls();
  return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                           &Win32Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

bool Win32Dialog::OnCommand(int id, int notification) {
  if ((id == IDOK || id == IDCANCEL) && notification == BN_CLICKED) {
    EndDialog(id);
    return true;
  }
  return false;
}

INT_PTR CALLBACK Win32Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32Dialog* dialog = nullptr;
  if (message == WM_INITDIALOG) {
    dialog = reinterpret_cast<Win32Dialog*>(lParam);
    ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    dialog->Attach(window);
  } else {
    dialog = reinterpret_cast<Win32Dialog*>(::GetWindowLongPtrW(window, DWLP_USER));
  }
  if (!dialog) return FALSE;
  return dialog->HandleMessage(message, wParam, lParam);
}

INT_PTR Win32Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND window = Window();
  switch (message) {
    case WM_INITDIALOG:
      owner_.emplace(window);
      return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_SYSCOMMAND:
      if (!OnSysCommand(static_cast<unsigned>(wParam))) return FALSE;
      ::SetWindowLongPtrW(window, DWLP_MSGRESULT, 0);
      return TRUE;
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<INT_PTR>(OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_SETCURSOR:
      if (!OnSetCursor()) return FALSE;
      ::SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_PAINT:
      return OnPaintMinimised() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(Icon());
    case WM_DESTROY:
      owner_.reset();
      return FALSE;
    case WM_NCDESTROY:
      Attach(nullptr);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace velto::platform
