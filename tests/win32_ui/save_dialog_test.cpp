// The job's Save dialog as the system's own (GetSaveFileNameW) with the strip of template 101 below it,
// driven from a second thread: strip layout and links, topmost, file types, typing a name, picking a
// type, the printer-properties button, and the type text read when the strip goes.
#include <gtest/gtest.h>

#include <cstdio>

#include "job/output_destination.h"
#include "job/save_dialog.h"
#include "platform/shell_recording.h"
#include "platform/windows_directory.h"
#include "tests/support/test_support.h"
#include "ui/save_dialog_strip.h"
#include "tests/win32_ui/driver.h"

#include <dlgs.h>

namespace velto {
namespace {

using test::Pixels;
using test::PlaceOf;
using test::Text;

const std::vector<std::string> kTypeNames = {"BMP  files (*.bmp)", "TIFF files (*.tif)", "JPEG files (*.jpg)",
                                             "GIF  files (*.gif)", "PDF  files (*.pdf)", "PNG  files (*.png)",
                                             "EMF  files (*.emf)", "TEXT files (*.txt)"};

struct SaveDialogWindows {
  HWND dialog = nullptr;  // the standard dialog
  HWND strip = nullptr;   // template 101, its child
};

SaveDialogWindows WaitForSaveDialog(DWORD thread) {
  SaveDialogWindows found;
  found.dialog = test::WaitFor([&]() -> HWND {
    for (HWND window : test::ThreadWindows(thread)) {
      for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (test::ClassOf(child) == "#32770" && ::GetDlgItem(child, res::IDC_PRINTER_PROPERTIES)) {
          found.strip = child;
          return window;
        }
      }
    }
    return nullptr;
  });
  return found;
}

// The standard dialog's file-name box: a combo box (cmb13) on Windows since 2000, an edit (edt1) before
// and under Wine.
HWND FileNameBox(HWND dialog) {
  if (HWND combo = ::GetDlgItem(dialog, cmb13)) return combo;
  return ::GetDlgItem(dialog, edt1);
}

// Picks file type `index` with the arrow keys, as a person does, and waits until it shows.
void PickType(HWND dialog, int index) {
  HWND types = ::GetDlgItem(dialog, cmb1);
  const int current = static_cast<int>(::SendMessageW(types, CB_GETCURSEL, 0, 0));
  for (int k = current; k != index; k += index > current ? 1 : -1)
    ::PostMessageW(types, WM_KEYDOWN, index > current ? VK_DOWN : VK_UP, 0);
  EXPECT_TRUE(test::WaitUntil([&] { return ::SendMessageW(types, CB_GETCURSEL, 0, 0) == index; }));
}

// The standard dialog's controls, for the record of what this system's dialog is made of.
void PrintControls(HWND dialog) {
  std::printf("Save dialog controls:");
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    std::printf(" %d:%s", ::GetDlgCtrlID(child), test::ClassOf(child).c_str());
  std::printf("\n");
}

// Each test in a fresh folder, which is also the Windows directory (no settings file: the dialog shows).
class Win32SaveDialog : public ::testing::Test {
 protected:
  Win32SaveDialog() {
    platform::SetWindowsDirectoryForTesting(Folder());
    ::GetCurrentDirectoryW(MAX_PATH, previousDirectory_);
    ::SetCurrentDirectoryW(dir_.Path().wstring().c_str());
    InstallSaveDialogStrip();
  }
  ~Win32SaveDialog() override {
    SetSaveDialogStripProvider(nullptr);
    ::SetCurrentDirectoryW(previousDirectory_);
    platform::SetWindowsDirectoryForTesting(std::nullopt);
  }
  std::string Folder() const { return platform::Utf8(std::filesystem::canonical(dir_.Path()).wstring()); }

  test::TempDir dir_;
  wchar_t previousDirectory_[MAX_PATH] = {};
};

TEST_F(Win32SaveDialog, ShowsTheStripBesideCancelAndTakesTheTypedNameWithThePickedType) {
  platform::RecordingShell shell;
  platform::ScopedShell scoped(shell);
  std::string path = "Quarterly.final";
  const bool chosen = test::DriveModal([&] { return ChooseOutputPath(path); }, [&](DWORD thread) {
    const SaveDialogWindows save = WaitForSaveDialog(thread);
    ASSERT_NE(save.dialog, nullptr);
    PrintControls(save.dialog);
    EXPECT_TRUE(::GetWindowLongW(save.dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);

    // The strip lies below the standard controls, its controls placed as the template says (where the
    // strip itself begins is the system's choice); the properties button moved to the strip's top, 4
    // pixels left of Cancel.
    HWND button = ::GetDlgItem(save.strip, res::IDC_PRINTER_PROPERTIES);
    HWND web = ::GetDlgItem(save.strip, res::IDC_STRIP_WEB_LINK);
    EXPECT_EQ(Text(button), "打印机属性");
    const int stripTop = PlaceOf(web).y - Pixels(save.strip, res::SaveStripTemplate().controls[1].rect).y;
    RECT cancel{};
    ::GetWindowRect(::GetDlgItem(save.dialog, IDCANCEL), &cancel);
    ::MapWindowPoints(nullptr, save.strip, reinterpret_cast<POINT*>(&cancel), 2);
    EXPECT_GE(stripTop, cancel.bottom);
    const platform::DialogRect place = PlaceOf(button), size = Pixels(save.strip, {0, 0, 51, 16});
    EXPECT_EQ(place.x, cancel.left - 4);
    EXPECT_EQ(place.y, stripTop);
    EXPECT_EQ(place.width, size.width);
    EXPECT_EQ(place.height, size.height);
    for (const auto& control : res::SaveStripTemplate().controls) {
      if (control.id == res::IDC_PRINTER_PROPERTIES) continue;
      HWND link = ::GetDlgItem(save.strip, control.id);
      platform::DialogRect expected = Pixels(save.strip, control.rect);
      expected.y += stripTop;
      EXPECT_EQ(PlaceOf(link), expected) << control.id;
      EXPECT_EQ(Text(link), control.text);
      const test::Painting painting = test::Paint(link);
      EXPECT_GE(painting.LongestRun(RGB(0, 0, 255)), painting.width / 2) << control.id;
    }

    // The mail link opens its target and turns purple, the dialog stays.
    test::Click(::GetDlgItem(save.strip, res::IDC_STRIP_MAIL_LINK));
    ASSERT_TRUE(test::WaitUntil([&] { return shell.calls.size() == 1; }));
    EXPECT_EQ(shell.calls[0].file, "mailto:velto@example.org");
    EXPECT_TRUE(test::WaitUntil(
        [&] { return test::Paint(::GetDlgItem(save.strip, res::IDC_STRIP_MAIL_LINK)).Count(RGB(128, 0, 128)) > 0; }));

    // The eight types in their order, the first current; the cleaned document name offered.
    HWND types = ::GetDlgItem(save.dialog, cmb1);
    ASSERT_EQ(::SendMessageW(types, CB_GETCOUNT, 0, 0), 8);
    for (int k = 0; k < 8; ++k) {
      wchar_t text[64] = {};
      ::SendMessageW(types, CB_GETLBTEXT, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(text));
      EXPECT_EQ(platform::Utf8(text), kTypeNames[static_cast<size_t>(k)]);
    }
    EXPECT_EQ(::SendMessageW(types, CB_GETCURSEL, 0, 0), 0);
    HWND name = FileNameBox(save.dialog);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(Text(name), "Quarterly_final");

    // A name without extension, the JPEG type picked, Save.
    ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"scan"));
    PickType(save.dialog, 2);
    test::Press(save.dialog, IDOK);
  });
  ASSERT_TRUE(chosen);
  EXPECT_EQ(path, Folder() + "\\scan.jpg");
}

TEST_F(Win32SaveDialog, AnExtensionTypedWinsOverThePickedType) {
  std::string path = "x";
  const bool chosen = test::DriveModal([&] { return ChooseOutputPath(path); }, [&](DWORD thread) {
    const SaveDialogWindows save = WaitForSaveDialog(thread);
    ASSERT_NE(save.dialog, nullptr);
    ::SendMessageW(FileNameBox(save.dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"notes.pdf"));
    PickType(save.dialog, 0);
    test::Press(save.dialog, IDOK);
  });
  ASSERT_TRUE(chosen);
  EXPECT_EQ(path, Folder() + "\\notes.pdf");
}

TEST_F(Win32SaveDialog, ThePropertiesButtonActsWithTheDialogNoLongerTopmostAndCancelKeepsTheType) {
  int pressed = 0;
  bool topmostWhilePressed = true;
  HWND ownerWhilePressed = nullptr;
  SetSaveDialogStripProvider([&](std::vector<platform::SaveDialogStripItem>& strip) {
    for (auto& item : MakeSaveDialogStrip()) strip.push_back(std::move(item));
    strip[0].activate = [&] {
      ++pressed;
      ownerWhilePressed = static_cast<HWND>(platform::OwnerWindow());
      topmostWhilePressed = ::GetWindowLongW(::GetParent(ownerWhilePressed), GWL_EXSTYLE) & WS_EX_TOPMOST;
    };
  });
  CFileDialogEx dialog(false, "", "fax", kSaveDialogFlags, kSaveDialogFilter);
  HWND strip = nullptr;
  const int result = test::DriveModal([&] { return dialog.DoModal(); }, [&](DWORD thread) {
    const SaveDialogWindows save = WaitForSaveDialog(thread);
    ASSERT_NE(save.dialog, nullptr);
    strip = save.strip;
    PickType(save.dialog, 4);
    test::Press(save.strip, res::IDC_PRINTER_PROPERTIES);
    ASSERT_TRUE(test::WaitUntil([&] { return pressed == 1; }));
    EXPECT_FALSE(::GetWindowLongW(save.dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(::IsWindowVisible(save.dialog));
    test::Press(save.dialog, IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(ownerWhilePressed, strip);
  EXPECT_FALSE(topmostWhilePressed);
  EXPECT_EQ(dialog.TypeText(), "PDF  files (*.pdf)");
  EXPECT_EQ(dialog.StructSize(), 88u);
  EXPECT_EQ(dialog.Flags(), kSaveDialogFlags | kOfnEnableHook | kOfnEnableTemplate);
}

}  // namespace
}  // namespace velto
