#include <algorithm>
#include <filesystem>

#include "job/output_destination.h"
#include "job/save_dialog.h"
#include "job/spool_claim.h"
#include "platform/files.h"
#include "tests/job/fake_writers.h"
#include "tests/job/job_fixture.h"

namespace velto {
namespace {

using test::FakeWriters;
using test::JobFixture;

class OutputPathTest : public JobFixture {
 protected:
  std::string Choose(std::string documentName, bool expectOk = true) {
    EXPECT_EQ(ChooseOutputPath(documentName), expectOk);
    return documentName;
  }
  std::string Home() const { return home_.Text(); }
};

// A path written with "/" in this platform's separator.
std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', platform::kPathSeparator);
  return path;
}

#ifdef _WIN32
TEST_F(OutputPathTest, AutomaticModeBuildsThePathFromTheSettings) {
  // The folder as it stands, a "\" added when it has none; the default is "c:\".
  WriteSettings("[save]\nsavemode=1\n");
  EXPECT_EQ(Choose("Report.doc"), "c:\\Report.bmp");
  EXPECT_EQ(Choose(""), "c:\\.bmp");
  EXPECT_EQ(Choose("a/b:c"), "c:\\a_b_c.bmp");
  EXPECT_TRUE(dialogs_.saveRequests.empty());

  WriteSettings("[save]\nsavemode=1\nautosaveformat=9\nautosavedir=d:\\faxes\n");
  EXPECT_EQ(Choose("Memo"), "d:\\faxes\\Memo.txt");
  WriteSettings("[save]\nsavemode=1\nautosaveformat=1\nautosavedir=d:\\faxes\\\n");
  EXPECT_EQ(Choose("Memo"), "d:\\faxes\\Memo.tif");
}
#else
TEST_F(OutputPathTest, AutomaticModeBuildsThePathFromTheSettings) {
  WriteSettings("[save]\nsavemode=1\n");
  EXPECT_EQ(Choose("Report.doc"), Home() + "/Report.bmp");  // the default folder is the home folder
  EXPECT_EQ(Choose(""), Home() + "/.bmp");
  EXPECT_EQ(Choose("a/b:c"), Home() + "/a_b_c.bmp");
  EXPECT_TRUE(dialogs_.saveRequests.empty());

  WriteSettings("[save]\nsavemode=1\nautosaveformat=9\nautosavedir=/srv/faxes\n");
  EXPECT_EQ(Choose("Memo"), "/srv/faxes/Memo.txt");
  WriteSettings("[save]\nsavemode=1\nautosaveformat=1\nautosavedir=/srv/faxes/\n");
  EXPECT_EQ(Choose("Memo"), "/srv/faxes/Memo.tif");
  WriteSettings("[save]\nsavemode=1\nautosaveformat=6\nautosavedir=/srv/faxes\\\n");
  EXPECT_EQ(Choose("Memo"), "/srv/faxes/Memo.emf");
  WriteSettings("[save]\nsavemode=1\nautosavedir=\n");
  EXPECT_EQ(Choose("Memo"), Home() + "/Memo.bmp");
}
#endif

TEST_F(OutputPathTest, SaveDialogOffersTheEightTypesWithBmpCurrent) {
  dialogs_.ChooseFile(Native("/out/fax"), "TIFF files (*.tif)");
  EXPECT_EQ(Choose("Fax.final.doc"), Native("/out/fax.tif"));
  ASSERT_EQ(dialogs_.saveRequests.size(), 1u);
  const auto& request = dialogs_.saveRequests[0];
  EXPECT_EQ(request.initialName, "Fax_final");
  EXPECT_EQ(request.caption, "另存为");
  std::vector<std::string> names{"BMP  files (*.bmp)", "TIFF files (*.tif)", "JPEG files (*.jpg)",
                                 "GIF  files (*.gif)", "PDF  files (*.pdf)", "PNG  files (*.png)",
                                 "EMF  files (*.emf)", "TEXT files (*.txt)"};
  EXPECT_EQ(request.typeNames, names);
  EXPECT_EQ(request.typePatterns.front(), "*.bmp");
  EXPECT_EQ(request.typePatterns.back(), "*.txt");
  EXPECT_EQ(request.flags & kSaveDialogFlags, kSaveDialogFlags);
  EXPECT_TRUE(request.flags & kOfnEnableTemplate);
}

TEST_F(OutputPathTest, TypedExtensionWinsOverTheSelectedType) {
  dialogs_.ChooseFile(Native("/out/a.pdf"), "BMP  files (*.bmp)");
  EXPECT_EQ(Choose("x"), Native("/out/a.pdf"));
  dialogs_.ChooseFile(Native("/out/notes.doc"), "JPEG files (*.jpg)");
  EXPECT_EQ(Choose("x"), Native("/out/notes.doc"));
  dialogs_.ChooseFile(Native("/my.files/scan"), "JPEG files (*.jpg)");  // a dot in the folder is no extension
  EXPECT_EQ(Choose("x"), Native("/my.files/scan.jpg"));
  dialogs_.ChooseFile(Native("/out/scan"), "");
  EXPECT_EQ(Choose("x"), Native("/out/scan"));
  dialogs_.Cancel();
  Choose("x", false);
}

TEST_F(OutputPathTest, StripControlsComeFromTheirProvider) {
  int clicked = 0;
  SetSaveDialogStripProvider([&](std::vector<platform::SaveDialogStripItem>& strip) {
    strip.push_back({1005, "打印机属性", [&] { ++clicked; }, {}});
  });
  Choose("x", false);
  SetSaveDialogStripProvider(nullptr);
  ASSERT_EQ(dialogs_.saveRequests.size(), 1u);
  ASSERT_EQ(dialogs_.saveRequests[0].strip.size(), 1u);
  EXPECT_EQ(dialogs_.saveRequests[0].strip[0].controlId, 1005);
  dialogs_.saveRequests[0].strip[0].activate();
  EXPECT_EQ(clicked, 1);
  Choose("x", false);
  EXPECT_TRUE(dialogs_.saveRequests[1].strip.empty());
}

class ProcessJobTest : public JobFixture {
 protected:
  ProcessJobTest() : writersScope_(writers_.set) {}
  FakeWriters writers_;
  ScopedWriters writersScope_;
};

TEST_F(ProcessJobTest, OverwriteQuestionNoShowsTheDialogAgainYesConverts) {
  std::string spool = MakeSpool("00001.SPL", 1);
  std::string existing = out_.File("old.bmp");
  test::WriteTextFile(existing, "old");
  dialogs_.ChooseFile(existing);
  dialogs_.ChooseFile(existing);
  dialogs_.messageAnswers = {platform::IDNO, platform::IDYES};
  ProcessJob("VELTO PRINT ", "Doc");
  ASSERT_EQ(dialogs_.messages.size(), 2u);
  EXPECT_EQ(dialogs_.messages[0].text, "\" " + existing + " \" 已经存在，你真的要继续吗？");
  EXPECT_EQ(dialogs_.messages[0].caption, "另存为");
  EXPECT_EQ(dialogs_.messages[0].style, platform::MB_YESNO | platform::MB_ICONEXCLAMATION);
  EXPECT_EQ(dialogs_.saveRequests.size(), 2u);
  EXPECT_EQ(dialogs_.saveRequests[1].initialName, "Doc");
  ASSERT_EQ(writers_.calls.size(), 1u);
  EXPECT_EQ(writers_.calls[0].outputPath, existing);
  EXPECT_EQ(test::ReadFileBytes(existing).size(), 3u);  // "bmp" written over "old"
  EXPECT_FALSE(std::filesystem::exists(spool));
}

TEST_F(ProcessJobTest, NoQuestionWithoutChech3OrWithOtherSaveModes) {
  std::string existing = out_.File("old.bmp");
  test::WriteTextFile(existing, "old");
  for (const char* settings : {"[save]\nchech3=0\n", "[save]\nsavemode=2\n"}) {
    WriteSettings(settings);
    MakeSpool("job.spl", 1);
    dialogs_.ChooseFile(existing);
    ProcessJob("VELTO PRINT", "Doc");
    EXPECT_TRUE(dialogs_.messages.empty()) << settings;
    EXPECT_TRUE(dialogs_.saveAnswers.empty()) << settings;
  }
  EXPECT_EQ(writers_.calls.size(), 2u);
}

TEST_F(ProcessJobTest, CancelledDialogLeavesTheJobFindable) {
  std::string spool = MakeSpool("00002.SPL", 2);
  ProcessJob("VELTO PRINT", "Doc");
  EXPECT_TRUE(writers_.calls.empty());
  EXPECT_TRUE(std::filesystem::exists(spool));
  // The next job takes it.
  dialogs_.ChooseFile(out_.File("doc.png"));
  ProcessJob("VELTO PRINT", "Doc");
  EXPECT_EQ(writers_.calls.size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(spool));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(windir_.Path()), {}), 0);
}

TEST_F(ProcessJobTest, WithoutASpoolFileNothingIsConverted) {
  dialogs_.ChooseFile(out_.File("doc.bmp"));
  ProcessJob("VELTO PRINT", "Doc");
  EXPECT_TRUE(writers_.calls.empty());
  EXPECT_FALSE(std::filesystem::exists(out_.File("doc.bmp")));
}

TEST_F(ProcessJobTest, TooLongOutputPathsAreRefusedNotCut) {
  std::string spool = MakeSpool("job.spl", 1);
  std::string longName(300, 'n');
  // Automatic mode: the job is kept aside, nothing is written.
  WriteSettings("[save]\nsavemode=1\nautosavedir=" + out_.Text() + "\n");
  ProcessJob("VELTO PRINT", longName);
  EXPECT_TRUE(writers_.calls.empty());
  EXPECT_TRUE(std::filesystem::exists(spool + ".failed"));
  // Dialog mode: the user is told and asked again.
  WriteSettings("");
  std::string spool2 = MakeSpool("job2.spl", 1);
  dialogs_.ChooseFile(out_.File(std::string(260, 'x') + ".bmp"));
  dialogs_.ChooseFile(out_.File("short.bmp"));
  ProcessJob("VELTO PRINT", "Doc");
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  ASSERT_EQ(writers_.calls.size(), 1u);
  EXPECT_EQ(writers_.calls[0].outputPath, out_.File("short.bmp"));
}

TEST(SpoolClaim, EachSpoolFileGoesToOneJob) {
  test::TempDir dir;
  test::WriteTextFile(dir.File("a.spl"), "a");
  test::WriteTextFile(dir.File("b.SPL"), "b");
  test::WriteTextFile(dir.File("c.spl.failed"), "c");
  test::WriteTextFile(dir.File("d.shd"), "d");
  auto first = ClaimFirstSpoolFile(dir.Text());
  auto second = ClaimFirstSpoolFile(dir.Text());
  auto third = ClaimFirstSpoolFile(dir.Text());
  ASSERT_TRUE(first && second);
  EXPECT_FALSE(third.has_value());
  EXPECT_NE(*first, *second);
  EXPECT_TRUE(IsClaimedSpoolPath(*first));
  EXPECT_FALSE(IsClaimedSpoolPath(dir.File("a.spl")));
  std::string original = UnclaimedSpoolPath(*first);
  EXPECT_TRUE(original == dir.File("a.spl") || original == dir.File("b.SPL"));

  // Given back while a new file of the same name has appeared: neither is lost.
  test::WriteTextFile(original, "new");
  ASSERT_TRUE(ReleaseSpoolClaim(*first));
  EXPECT_EQ(test::ReadFileBytes(original).size(), 3u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 5);

  auto aside = SetSpoolFileAside(*second);
  ASSERT_TRUE(aside);
  EXPECT_EQ(*aside, UnclaimedSpoolPath(*second) + ".failed");
  test::WriteTextFile(dir.File("e.spl"), "e");
  auto asideAgain = SetSpoolFileAside(dir.File("c.spl"));
  EXPECT_FALSE(asideAgain.has_value());  // no such file
}

}  // namespace
}  // namespace velto
