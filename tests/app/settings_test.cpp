#include <gtest/gtest.h>

#include "app/settings.h"
#include "tests/support/test_support.h"

namespace velto {
namespace {

using test::ScopedEnv;
using test::TempDir;
using test::WriteTextFile;

struct OverridesCleared {
  ~OverridesCleared() { ClearSettingOverrides(); }
};

TEST(Settings, ReadFromTheWindowsDirectoryUnlessOverridden) {
  TempDir windir;
  ScopedEnv env("VELTO_WINDIR", windir.Text());
  OverridesCleared cleanup;
  WriteTextFile(windir.File("VeltoFaxPrint.ini"), "[save]\nsavemode=1\nautosavedir=/srv/out\n[format]\ntextcode=1\n");
  EXPECT_EQ(ReadSettingInt("save", "savemode", 0), 1);
  EXPECT_EQ(ReadSettingText("save", "autosavedir", "c:\\"), "/srv/out");

  TempDir other;
  WriteTextFile(other.File("alt.ini"), "[save]\nautosaveformat=4\n");
  SetSettingsFile(other.File("alt.ini"));
  EXPECT_EQ(ReadSettingInt("save", "savemode", 0), 0);  // the given file replaces the usual one
  EXPECT_EQ(ReadSettingInt("save", "autosaveformat", 0), 4);

  ASSERT_TRUE(ParseSettingOverride("Save.AutoSaveFormat=0x6"));
  ASSERT_TRUE(ParseSettingOverride("run.exefilename=\"/usr/bin/x y\""));
  ASSERT_TRUE(ParseSettingOverride("format.textcode="));
  EXPECT_EQ(ReadSettingInt("save", "autosaveformat", 0), 6);
  EXPECT_EQ(ReadSettingText("run", "exefilename", ""), "/usr/bin/x y");
  EXPECT_EQ(ReadSettingInt("format", "textcode", 9), 9);  // empty reads as missing for numbers
  EXPECT_EQ(ReadSettingText("format", "textcode", "d"), "");

  EXPECT_FALSE(ParseSettingOverride("savemode=1"));
  EXPECT_FALSE(ParseSettingOverride("save.savemode"));
  EXPECT_FALSE(ParseSettingOverride(".savemode=1"));

  ClearSettingOverrides();
  EXPECT_EQ(ReadSettingInt("save", "autosaveformat", 0), 0);
  EXPECT_EQ(ReadSettingInt("format", "textcode", 0), 1);
}

}  // namespace
}  // namespace velto
