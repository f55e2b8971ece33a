// Hyperlink statics: colours, navigation through the shell, the beep, and where the target comes from.
#include <gtest/gtest.h>

#include "platform/printing/terminal_dialog.h"
#include "platform/shell_recording.h"
#include "res/resources.h"
#include "ui/static_link.h"

namespace velto {
namespace {

namespace pf = velto::platform;

struct LinkDialog {
  LinkDialog() : dialog("links", 200, 40, true) {
    pf::DialogControl text;
    text.id = 1010;
    text.text = "https://velto.example.org";
    dialog.AddControl(text);
    pf::DialogControl named = text;
    named.id = res::IDS_ABOUTBOX;  // an identifier that names a string
    named.text = "window text";
    dialog.AddControl(named);
    pf::DialogControl picture;
    picture.id = 1017;
    picture.kind = pf::ControlKind::Picture;
    picture.style = res::kStaticBitmap;
    dialog.AddControl(picture);
  }
  pf::TerminalDialog dialog;
};

TEST(StaticLink, TurnsPurpleOnceTheShellOpenedItsTarget) {
  LinkDialog d;
  pf::RecordingShell shell;
  pf::ScopedShell scoped(shell);
  CStaticLink link;
  link.SetLink("https://velto.example.org/");
  ASSERT_TRUE(link.SubclassDlgItem(1010, d.dialog));
  EXPECT_EQ(d.dialog.Control(1010)->kind, pf::ControlKind::Link);
  EXPECT_EQ(link.Colour(), kLinkColour);
  EXPECT_EQ(d.dialog.Control(1010)->textAttr, pf::kUnderline | pf::kBlue);
  link.OnLButtonDown();
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].kind, pf::ShellCall::Kind::Open);
  EXPECT_EQ(shell.calls[0].file, "https://velto.example.org/");
  EXPECT_EQ(shell.calls[0].parameters, "");
  EXPECT_EQ(shell.calls[0].show, pf::ShowCommand::Normal);
  EXPECT_TRUE(link.Visited());
  EXPECT_EQ(link.Colour(), kVisitedLinkColour);
  EXPECT_EQ(d.dialog.Control(1010)->textAttr, pf::kUnderline | pf::kPurple);
  EXPECT_EQ(link.OnNcHitTest(), CStaticLink::kHitClient);
  EXPECT_TRUE(link.OnSetCursor());
}

TEST(StaticLink, BeepsAndStaysBlueWhenTheTargetCannotBeOpened) {
  LinkDialog d;
  pf::RecordingShell shell;
  shell.openResult = 2;  // file not found
  pf::ScopedShell scoped(shell);
  CStaticLink link("mailto: velto@example.org");
  link.SubclassDlgItem(1010, d.dialog);
  const int beeps = pf::MessageBeepCount();
  link.OnLButtonDown();
  EXPECT_EQ(pf::MessageBeepCount(), beeps + 1);
  EXPECT_FALSE(link.Visited());
  EXPECT_EQ(d.dialog.Control(1010)->textAttr, pf::kUnderline | pf::kBlue);
}

TEST(StaticLink, WithoutTargetTakesTheStringOfItsIdentifierElseItsText) {
  LinkDialog d;
  pf::RecordingShell shell;
  pf::ScopedShell scoped(shell);
  CStaticLink fromString;
  fromString.SubclassDlgItem(res::IDS_ABOUTBOX, d.dialog);
  fromString.OnLButtonDown();
  EXPECT_EQ(fromString.Link(), "关于 VeltoFaxTool(&A)...");
  CStaticLink fromText;
  fromText.SubclassDlgItem(1010, d.dialog);
  fromText.OnLButtonDown();
  EXPECT_EQ(fromText.Link(), "https://velto.example.org");
  ASSERT_EQ(shell.calls.size(), 2u);

  CStaticLink nothing;  // not attached, no target: nothing to open
  nothing.OnLButtonDown();
  EXPECT_EQ(shell.calls.size(), 2u);
}

TEST(StaticLink, APictureStaticKeepsItsDefaultDrawing) {
  LinkDialog d;
  CStaticLink link("https://velto.example.org/");
  ASSERT_TRUE(link.SubclassDlgItem(1017, d.dialog));
  EXPECT_FALSE(link.OnCtlColor());
  EXPECT_EQ(d.dialog.Control(1017)->kind, pf::ControlKind::Picture);
  EXPECT_EQ(d.dialog.Control(1017)->textAttr, pf::kPlain);
  EXPECT_FALSE(link.SubclassDlgItem(4242, d.dialog));
}

}  // namespace
}  // namespace velto

// The Save dialog's strip: the properties button and the two links.
#include "printer/printer_setup.h"
#include "tests/printer/printer_test_environment.h"
#include "ui/save_dialog_strip.h"

namespace velto {
namespace {

TEST(SaveDialogStrip, OffersThePrinterSettingsAndTheMakersLinks) {
  test::PrinterEnvironment env;
  auto strip = MakeSaveDialogStrip();
  ASSERT_EQ(strip.size(), 3u);
  EXPECT_EQ(strip[0].controlId, 1005);
  EXPECT_EQ(strip[0].text, "打印机属性");
  EXPECT_EQ(strip[1].controlId, 1012);
  EXPECT_EQ(strip[2].controlId, 1013);

  strip[0].activate();  // no printer: nothing happens
  EXPECT_TRUE(env.dialogs.messages.empty());
  ASSERT_TRUE(InstallPrinter());
  strip[0].activate();
  ASSERT_EQ(env.dialogs.messages.size(), 1u);
  EXPECT_EQ(env.dialogs.messages[0].caption, "Velto Print 高级选项");

  platform::RecordingShell shell;
  platform::ScopedShell scoped(shell);
  strip[1].activate();
  strip[2].activate();
  ASSERT_EQ(shell.calls.size(), 2u);
  EXPECT_EQ(shell.calls[0].file, "https://velto.example.org/");
  EXPECT_EQ(shell.calls[1].file, "mailto:velto@example.org");
}

}  // namespace
}  // namespace velto
