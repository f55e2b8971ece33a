#include <gtest/gtest.h>

#include "platform/profile.h"
#include "tests/support/test_support.h"

namespace velto::platform {
namespace {

using test::ScopedEnv;
using test::TempDir;
using test::WriteTextFile;

class ProfileTest : public ::testing::Test {
 protected:
  ProfileTest() : windir_("VELTO_WINDIR", dir_.Text()) {}
  void Write(const std::string& text) { WriteTextFile(dir_.File("VeltoFaxPrint.ini"), text); }
  int Int(const char* key, const char* section = "save") {
    return GetPrivateProfileInt(section, key, 77, "VeltoFaxPrint.ini");
  }
  std::string Text(const char* key, const char* section = "save") {
    return GetPrivateProfileString(section, key, "DEF", "VeltoFaxPrint.ini");
  }
  TempDir dir_;
  ScopedEnv windir_;
};

TEST_F(ProfileTest, NumbersReadAsThePlatformReadsThem) {
  Write(
      "[save]\n"
      "empty=\n"
      "abc=abc\n"
      "lead=   12\n"
      "neg=-5\n"
      "plus=+7\n"
      "hex=0x10\n"
      "trail=12abc\n"
      "big=99999999999\n"
      "  spaces  =  34  \n"
      "dup=1\n"
      "dup=2\n"
      "quoted=\"42\"\n"
      "minusHex=-0x10\n");
  EXPECT_EQ(Int("empty"), 77);
  EXPECT_EQ(Int("abc"), 0);
  EXPECT_EQ(Int("lead"), 12);
  EXPECT_EQ(Int("neg"), -5);
  EXPECT_EQ(Int("plus"), 7);
  EXPECT_EQ(Int("hex"), 16);
  EXPECT_EQ(Int("trail"), 12);
  EXPECT_EQ(Int("big"), 1215752191);
  EXPECT_EQ(Int("Spaces", "SAVE"), 34);
  EXPECT_EQ(Int("dup"), 1);
  EXPECT_EQ(Int("quoted"), 42);
  EXPECT_EQ(Int("minusHex"), -16);
  EXPECT_EQ(Int("missing"), 77);
  EXPECT_EQ(Int("lead", "format"), 77);
}

TEST_F(ProfileTest, TextValues) {
  std::string longValue(300, 'x');
  Write(
      "; a comment line\n"
      "[ Save ]\r\n"
      "empty=\r\n"
      "quoted=\"hello world\"\r\n"
      "halfquoted=\"open\r\n"
      "single='6'\r\n"
      "singledir='/x/out/'\r\n"
      "mixed='7\"\r\n"
      "inner=a \"b\" c\r\n"
      "noequals\r\n"
      ";commented=1\r\n"
      "long=" + longValue + "\r\n"
      "path=c:\\out\\\r\n"
      "[run]\n"
      "exefilename=/usr/bin/x\n"
      "[save]\n"
      "second=in a second section of the same name\n");
  EXPECT_EQ(Text("empty"), "");
  EXPECT_EQ(Text("quoted"), "hello world");
  EXPECT_EQ(Text("halfquoted"), "\"open");
  // Single quotes go as double quotes do: autosaveformat='6' is 6, not 0.
  EXPECT_EQ(Text("single"), "6");
  EXPECT_EQ(Int("single"), 6);
  EXPECT_EQ(Text("singledir"), "/x/out/");
  EXPECT_EQ(Text("mixed"), "'7\"");
  EXPECT_EQ(Text("inner"), "a \"b\" c");
  EXPECT_EQ(Text("noequals"), "DEF");
  EXPECT_EQ(Text("commented"), "DEF");
  EXPECT_EQ(Text("long"), std::string(259, 'x'));
  EXPECT_EQ(Text("path"), "c:\\out\\");
  EXPECT_EQ(Text("EXEFILENAME", "RUN"), "/usr/bin/x");
  EXPECT_EQ(Text("second"), "DEF");  // only the first section of a name is read
  EXPECT_EQ(Text("exefilename"), "DEF");
}

TEST_F(ProfileTest, MissingFileGivesDefaultsAndEveryCallReadsAfresh) {
  EXPECT_EQ(Int("savemode"), 77);
  EXPECT_EQ(Text("autosavedir"), "DEF");
  Write("\xEF\xBB\xBF[save]\nsavemode=1\n");
  EXPECT_EQ(Int("savemode"), 1);
  Write("[save]\nsavemode=2\n");
  EXPECT_EQ(Int("savemode"), 2);
}

TEST_F(ProfileTest, FileWithFolderIsReadWhereItIs) {
  TempDir other;
  WriteTextFile(other.File("my.ini"), "[format]\ntextcode=3\n");
  EXPECT_EQ(GetPrivateProfileInt("format", "textcode", 0, other.File("my.ini")), 3);
  EXPECT_EQ(GetPrivateProfileInt("format", "textcode", 0, "my.ini"), 0);  // not in the Windows directory
}

}  // namespace
}  // namespace velto::platform
