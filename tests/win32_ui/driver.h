#pragma once
// Driving the program's dialogs from a second thread, as a person would: the test's own thread runs the
// modal dialog, a driver thread finds its windows, reads them, types, picks and presses. Posted messages
// never wait for the dialog, so a handler that opens a message box cannot hold the driver up.
// <windows.h> comes in here: a test includes the project's headers first.

#include "platform/win32_dialog.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/text_encoding.h"
#include "res/resources.h"

namespace velto::test {

using namespace std::chrono_literals;

// Polls `find` until it gives a window, for at most `limit`; nullptr when none came.
inline HWND WaitFor(const std::function<HWND()>& find, std::chrono::milliseconds limit = 15s) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < until) {
    if (HWND window = find()) return window;
    std::this_thread::sleep_for(20ms);
  }
  return nullptr;
}

// Polls `done` until true, for at most `limit`.
inline bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 15s) {
  return WaitFor([&] { return done() ? HWND(1) : HWND(nullptr); }, limit) != nullptr;
}

inline BOOL CALLBACK CollectVisible(HWND window, LPARAM found) {
  if (::IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

// The visible top-level windows of a thread.
inline std::vector<HWND> ThreadWindows(DWORD thread) {
  std::vector<HWND> windows;
  ::EnumThreadWindows(thread, &CollectVisible, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

inline std::string Text(HWND window) { return platform::WindowText(window); }

// A visible top-level window of `thread` titled `title`.
inline HWND WindowTitled(DWORD thread, const std::string& title) {
  for (HWND window : ThreadWindows(thread))
    if (Text(window) == title) return window;
  return nullptr;
}

inline std::string ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return platform::Utf8(name);
}

// A control's place in its parent's client area.
inline platform::DialogRect PlaceOf(HWND control) {
  RECT rect{};
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// Dialog units of `dialog` in pixels, the way the dialog manager places a control: position and size
// each converted on its own.
inline platform::DialogRect Pixels(HWND dialog, const platform::DialogRect& units) {
  RECT position{units.x, units.y, units.x, units.y};
  RECT size{0, 0, units.width, units.height};
  ::MapDialogRect(dialog, &position);
  ::MapDialogRect(dialog, &size);
  return {position.left, position.top, size.right, size.bottom};
}

inline void Press(HWND dialog, int id) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

// A click of the left button in the middle of a window, as the mouse sends it.
inline void Click(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  const LPARAM at = MAKELPARAM(client.right / 2, client.bottom / 2);
  ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(window, WM_LBUTTONUP, 0, at);
}

// What a control draws, painted into a 32-bit picture on white (WM_PRINTCLIENT), one COLORREF a pixel.
struct Painting {
  int width = 0, height = 0;
  std::vector<COLORREF> pixels;
  int Count(COLORREF colour) const {
    int n = 0;
    for (COLORREF p : pixels) n += p == colour;
    return n;
  }
  // The longest run of `colour` along one row.
  int LongestRun(COLORREF colour) const {
    int best = 0;
    for (int y = 0; y < height; ++y) {
      int run = 0;
      for (int x = 0; x < width; ++x) {
        run = pixels[static_cast<size_t>(y * width + x)] == colour ? run + 1 : 0;
        best = std::max(best, run);
      }
    }
    return best;
  }
};

inline Painting Paint(HWND control) {
  RECT client{};
  ::GetClientRect(control, &client);
  Painting painting;
  painting.width = client.right;
  painting.height = client.bottom;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = painting.width;
  info.bmiHeader.biHeight = -painting.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  ::SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  ::GdiFlush();
  const auto* argb = static_cast<const uint32_t*>(bits);
  for (int k = 0; k < painting.width * painting.height; ++k) {
    const uint32_t p = argb[k];
    painting.pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
  }
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  ::DeleteObject(bitmap);
  return painting;
}

// Runs `script` on a driver thread while `modal` runs here; afterwards closes whatever the script left
// open, so that a failed step cannot leave the test waiting. Returns what `modal` returned.
template <typename Modal>
auto DriveModal(Modal modal, const std::function<void(DWORD dialogThread)>& script) {
  const DWORD self = ::GetCurrentThreadId();
  std::thread driver([&] {
    script(self);
    // Whatever is still open gets cancelled, top first, until nothing of this thread shows.
    WaitUntil([&] {
      auto windows = ThreadWindows(self);
      for (HWND window : windows) ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
      return windows.empty();
    });
  });
  auto result = modal();
  driver.join();
  return result;
}

}  // namespace velto::test
