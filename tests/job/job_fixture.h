#pragma once
// A job-mode setting for tests: its own Windows directory, home folder and settings file, with the
// shell and the dialogs replaced by doubles.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dialogs_scripted.h"
#include "platform/shell_recording.h"
#include "spool/spool_file_writer.h"
#include "tests/support/test_support.h"

namespace velto::test {

class JobFixture : public ::testing::Test {
 protected:
  JobFixture()
      : windirEnv_("VELTO_WINDIR", windir_.Text()),
        homeEnv_("HOME", home_.Text()),
        shellScope_(shell_),
        dialogScope_(dialogs_) {}

  void WriteSettings(const std::string& text) { WriteTextFile(windir_.File("VeltoFaxPrint.ini"), text); }

  // A spool file of `pages` simple pages in the Windows directory.
  std::string MakeSpool(const std::string& name, int pages) {
    std::vector<std::vector<uint8_t>> metafiles;
    for (int k = 1; k <= pages; ++k) metafiles.push_back(SimplePage(u"Page " + std::u16string(1, char16_t(u'0' + k))));
    std::string path = windir_.File(name);
    EXPECT_TRUE(WriteSpoolFile(path, metafiles));
    return path;
  }

  std::vector<platform::ShellCall> Opens() const {
    std::vector<platform::ShellCall> opens;
    for (const auto& call : shell_.calls) {
      if (call.kind == platform::ShellCall::Kind::Open) opens.push_back(call);
    }
    return opens;
  }

  TempDir windir_;
  TempDir home_;
  TempDir out_;
  ScopedEnv windirEnv_;
  ScopedEnv homeEnv_;
  platform::RecordingShell shell_;
  platform::ScriptedDialogHost dialogs_;
  platform::ScopedShell shellScope_;
  platform::ScopedDialogHost dialogScope_;
};

}  // namespace velto::test
