// The control panel as a real Win32 dialog, driven from a second thread: its template, title, system
// menu and about box, icon, links, banner, layouts, status line, progress bar and message boxes.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/shell_recording.h"
#include "ui/control_panel_win32.h"
#include "tests/win32_ui/driver.h"

#include <commctrl.h>

namespace velto {
namespace {

using test::Pixels;
using test::PlaceOf;
using test::Text;
using test::WaitFor;

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kPurple = RGB(128, 0, 128);

HWND WaitForPanel(DWORD thread) {
  return WaitFor([&] { return test::WindowTitled(thread, "虚拟打印机控制台"); });
}

platform::DialogRect TemplatePlace(int id) {
  for (const auto& control : res::ControlPanelTemplate().controls)
    if (control.id == id) return control.rect;
  ADD_FAILURE() << "no control " << id;
  return {};
}

// A message box of `thread` owned by `owner`: its caption, text, and the window.
struct MessageBoxSeen {
  HWND window = nullptr;
  std::string caption, text;
};

MessageBoxSeen WaitForMessageBox(DWORD thread, HWND owner) {
  MessageBoxSeen seen;
  seen.window = WaitFor([&]() -> HWND {
    for (HWND window : test::ThreadWindows(thread))
      if (window != owner && ::GetWindow(window, GW_OWNER) == owner && test::ClassOf(window) == "#32770")
        return window;
    return nullptr;
  });
  if (seen.window) {
    seen.caption = Text(seen.window);
    seen.text = Text(::GetDlgItem(seen.window, 0xFFFF));  // the message's static
  }
  return seen;
}

TEST(Win32ControlPanel, OpensFromItsTemplateWithTitleMenuIconAndTheIdleLayout) {
  INT_PTR result = test::DriveModal([] { return Win32ControlPanel().DoModal(); }, [](DWORD thread) {
    HWND panel = WaitForPanel(thread);
    ASSERT_NE(panel, nullptr);
    const platform::DialogRect base = Pixels(panel, {0, 0, 4, 8});
    std::printf("dialog base units of 宋体 9 pt here: %d x %d pixels\n", base.width, base.height);

    // Every control of template 102 where the template puts it, with its text.
    for (const auto& control : res::ControlPanelTemplate().controls) {
      if (control.id == res::IDC_STATIC) continue;
      HWND window = ::GetDlgItem(panel, control.id);
      ASSERT_NE(window, nullptr) << control.id;
      const platform::DialogRect expected = Pixels(panel, control.rect);
      const platform::DialogRect actual = PlaceOf(window);
      const bool block = control.id == res::IDC_SUPPORT_LINE || control.id == res::IDC_NOTICE_LINE ||
                         control.id == res::IDC_WEB_LINK || control.id == res::IDC_MAIL_LINK;
      EXPECT_EQ(actual.x, expected.x) << control.id;
      if (!block) EXPECT_EQ(actual.y, expected.y) << control.id;
      if (control.kind != res::ControlKind::Picture) {
        EXPECT_EQ(actual.width, expected.width) << control.id;
        EXPECT_EQ(actual.height, expected.height) << control.id;
        EXPECT_EQ(Text(window), control.text) << control.id;
      }
    }
    EXPECT_EQ(::GetWindowLongW(::GetDlgItem(panel, res::IDC_BANNER), GWL_STYLE) & (SS_TYPEMASK | SS_NOTIFY),
              SS_BITMAP | SS_NOTIFY);
    EXPECT_NE(::SendDlgItemMessageW(panel, res::IDC_BANNER, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    EXPECT_TRUE(::GetWindowLongW(panel, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_TRUE(::GetWindowLongW(panel, GWL_STYLE) & WS_MINIMIZEBOX);

    // The idle layout: the information block stands in the middle, its lines the resource's gap apart.
    RECT client{};
    ::GetClientRect(panel, &client);
    const int gap = Pixels(panel, TemplatePlace(res::IDC_NOTICE_LINE)).y - Pixels(panel, TemplatePlace(res::IDC_SUPPORT_LINE)).y;
    int top = client.bottom / 10 + client.bottom / 3;
    for (int id : {res::IDC_SUPPORT_LINE, res::IDC_NOTICE_LINE, res::IDC_WEB_LINK, res::IDC_MAIL_LINK}) {
      EXPECT_EQ(PlaceOf(::GetDlgItem(panel, id)).y, top) << id;
      top += gap;
    }

    // Progress bar: range 1 to 100 at 1, hidden until an operation.
    HWND progress = ::GetDlgItem(panel, res::IDC_PROGRESS);
    EXPECT_EQ(test::ClassOf(progress), "msctls_progress32");
    EXPECT_FALSE(::IsWindowVisible(progress));
    PBRANGE range{};
    ::SendMessageW(progress, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 1);
    EXPECT_EQ(range.iHigh, 100);
    EXPECT_EQ(::SendMessageW(progress, PBM_GETPOS, 0, 0), 1);

    // The system menu ends with a separator and the about entry, command 16.
    HMENU menu = ::GetSystemMenu(panel, FALSE);
    const int items = ::GetMenuItemCount(menu);
    ASSERT_GE(items, 2);
    EXPECT_EQ(::GetMenuItemID(menu, items - 1), 16u);
    wchar_t entry[64] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(items - 1), entry, 64, MF_BYPOSITION);
    EXPECT_EQ(platform::Utf8(entry), "关于 VeltoFaxTool(&A)...");
    MENUITEMINFOW separator{sizeof separator, MIIM_FTYPE};
    ::GetMenuItemInfoW(menu, static_cast<UINT>(items - 2), TRUE, &separator);
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);

    // Icon 128, big and small; it is what a minimised panel offers to drag.
    HICON big = reinterpret_cast<HICON>(::SendMessageW(panel, WM_GETICON, ICON_BIG, 0));
    HICON small = reinterpret_cast<HICON>(::SendMessageW(panel, WM_GETICON, ICON_SMALL, 0));
    EXPECT_NE(big, nullptr);
    EXPECT_NE(small, nullptr);
    EXPECT_NE(big, small);
    ::ShowWindow(panel, SW_MINIMIZE);
    EXPECT_TRUE(test::WaitUntil([&] { return ::IsIconic(panel) != FALSE; }));
    EXPECT_EQ(reinterpret_cast<HICON>(::SendMessageW(panel, WM_QUERYDRAGICON, 0, 0)), big);
    ::ShowWindow(panel, SW_RESTORE);

    // The about box, from the system menu, owned by the panel.
    ::PostMessageW(panel, WM_SYSCOMMAND, 16, 0);
    HWND about = WaitFor([&] { return test::WindowTitled(thread, "关于 VeltoFaxTool"); });
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(::GetWindow(about, GW_OWNER), panel);
    EXPECT_EQ(Text(::GetDlgItem(about, IDOK)), "确定");
    std::vector<std::string> texts;
    for (HWND child = ::GetWindow(about, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) texts.push_back(Text(child));
    EXPECT_NE(std::find(texts.begin(), texts.end(), "VeltoFaxTool 1.0 版"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), res::kAboutNotice), texts.end());
    test::Press(about, IDOK);
    EXPECT_TRUE(test::WaitUntil([&] { return !::IsWindow(about); }));
    EXPECT_TRUE(::IsWindowVisible(panel));

    test::Press(panel, IDOK);  // "关闭"
  });
  EXPECT_EQ(result, IDOK);
}

TEST(Win32ControlPanel, LinksDrawUnderlinedInLinkColourAndOpenTheirTargets) {
  platform::RecordingShell shell;
  platform::ScopedShell scoped(shell);
  const int beeps = platform::MessageBeepCount();
  test::DriveModal([] { return Win32ControlPanel().DoModal(); }, [&](DWORD thread) {
    HWND panel = WaitForPanel(thread);
    ASSERT_NE(panel, nullptr);
    HWND web = ::GetDlgItem(panel, res::IDC_WEB_LINK);
    HWND mail = ::GetDlgItem(panel, res::IDC_MAIL_LINK);
    HWND notice = ::GetDlgItem(panel, res::IDC_NOTICE_LINE);

    // A link takes the mouse and shows a hand; an ordinary static lets it through.
    EXPECT_EQ(::SendMessageW(web, WM_NCHITTEST, 0, 0), HTCLIENT);
    EXPECT_EQ(::SendMessageW(notice, WM_NCHITTEST, 0, 0), HTTRANSPARENT);
    EXPECT_EQ(::SendMessageW(web, WM_SETCURSOR, reinterpret_cast<WPARAM>(web), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
    EXPECT_NE(platform::LinkHandCursor().cursor, nullptr);
    std::printf("link cursor: %s\n", platform::LinkHandCursor().fromHelpProgram ? "winhlp32.exe cursor 106" : "IDC_HAND");

    // Blue and underlined: a row of blue as long as most of the text; the plain line has no blue.
    const test::Painting before = test::Paint(web);
    EXPECT_GT(before.Count(kBlue), 0);
    EXPECT_GE(before.LongestRun(kBlue), before.width / 2);
    EXPECT_EQ(test::Paint(notice).Count(kBlue), 0);

    // A click opens the target and the link turns purple.
    test::Click(web);
    ASSERT_TRUE(test::WaitUntil([&] { return shell.calls.size() == 1; }));
    EXPECT_EQ(shell.calls[0].file, "https://velto.example.org/");
    EXPECT_EQ(shell.calls[0].show, platform::ShowCommand::Normal);
    EXPECT_TRUE(test::WaitUntil([&] { return test::Paint(web).Count(kPurple) > 0; }));
    EXPECT_EQ(test::Paint(web).Count(kBlue), 0);

    // A target that cannot be opened beeps and the link stays blue.
    shell.openResult = platform::kShellFileNotFound;
    test::Click(mail);
    ASSERT_TRUE(test::WaitUntil([&] { return shell.calls.size() == 2; }));
    EXPECT_EQ(shell.calls[1].file, "mailto: velto@example.org");
    EXPECT_TRUE(test::WaitUntil([&] { return platform::MessageBeepCount() == beeps + 1; }));
    EXPECT_GT(test::Paint(mail).Count(kBlue), 0);
    EXPECT_EQ(test::Paint(mail).Count(kPurple), 0);

    // The banner (a bitmap static that reports clicks) opens the maker's site; the help button "hh".
    shell.openResult = platform::kShellStarted;
    test::Click(::GetDlgItem(panel, res::IDC_BANNER));
    ASSERT_TRUE(test::WaitUntil([&] { return shell.calls.size() == 3; }));
    EXPECT_EQ(shell.calls[2].file, "https://velto.example.org/");
    test::Press(panel, res::IDC_HELP_BUTTON);
    ASSERT_TRUE(test::WaitUntil([&] { return shell.calls.size() == 4; }));
    EXPECT_EQ(shell.calls[3].kind, platform::ShellCall::Kind::Run);
    EXPECT_EQ(shell.calls[3].file.rfind("hh ", 0), 0u);
    EXPECT_NE(shell.calls[3].file.find("\\Veltofax printer.chm"), std::string::npos);
  });
}

TEST(Win32ControlPanel, WithoutThePrinterTestSaysSoAndRemoveReportsInAMessageBoxOwnedByThePanel) {
  platform::RecordingShell shell;
  platform::ScopedShell scoped(shell);
  Win32ControlPanel dialog;
  test::DriveModal([&] { return dialog.DoModal(); }, [&](DWORD thread) {
    HWND panel = WaitForPanel(thread);
    ASSERT_NE(panel, nullptr);
    HWND status = ::GetDlgItem(panel, res::IDC_STATUS);
    HWND progress = ::GetDlgItem(panel, res::IDC_PROGRESS);

    // Test page without the printer: the status says so, the block goes back home, nothing starts.
    test::Press(panel, res::IDC_TEST);
    ASSERT_TRUE(test::WaitUntil([&] { return Text(status) == " 打印机未安装"; }));
    for (int id : {res::IDC_SUPPORT_LINE, res::IDC_NOTICE_LINE, res::IDC_WEB_LINK, res::IDC_MAIL_LINK})
      EXPECT_EQ(PlaceOf(::GetDlgItem(panel, id)).y, Pixels(panel, TemplatePlace(id)).y) << id;
    EXPECT_FALSE(::IsWindowVisible(progress));
    EXPECT_TRUE(shell.calls.empty());

    // Removal without the printer: the progress shows, the failure comes in a message box that the
    // panel owns, with the wait cursor up; then the status gives up and the bar stands at 100.
    test::Press(panel, res::IDC_UNINSTALL);
    const auto box = WaitForMessageBox(thread, panel);
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(box.caption, "错误");
    EXPECT_FALSE(box.text.empty());
    EXPECT_TRUE(::IsWindowVisible(progress));
    EXPECT_EQ(Text(status), " 卸载打印机...");
    EXPECT_TRUE(dialog.Busy());
    test::Press(box.window, IDOK);
    ASSERT_TRUE(test::WaitUntil([&] { return Text(status) == " 打开打印机失败，放弃卸载打印机任务。"; }));
    EXPECT_TRUE(test::WaitUntil([&] { return ::SendMessageW(progress, PBM_GETPOS, 0, 0) == 100; }));
    EXPECT_TRUE(test::WaitUntil([&] { return !dialog.Busy(); }));
  });
  EXPECT_EQ(dialog.StatusText(), " 打开打印机失败，放弃卸载打印机任务。");
  EXPECT_EQ(dialog.ProgressHistory().back(), 100);
}

}  // namespace
}  // namespace velto
