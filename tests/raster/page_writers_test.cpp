// The four page writers end to end: a spool file of small pages in, one file per page out.
#include "raster/page_writers.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/settings.h"
#include "platform/dialogs.h"
#include "platform/dialogs_scripted.h"
#include "raster/jpeg_file_writer.h"
#include "spool/spool_file_writer.h"
#include "spool/spool_reader.h"
#include "tests/raster/image_decoding.h"
#include "tests/support/test_support.h"

namespace velto {
namespace {

namespace fs = std::filesystem;
using emf::PointL;
using emf::RectL;
using emf::SizeL;

// A page of 200 × 300 reference pixels: a surface of 201 × 297, whose 24-bit rows need padding.
std::vector<uint8_t> SmallPage(uint32_t colorRef) {
  emf::MetafileRecorder rec(RectL{0, 0, 2000, 3000}, SizeL{200, 300}, SizeL{20, 30});
  rec.CreateBrush(1, 0, colorRef);
  rec.SelectObject(1);
  rec.Rectangle(RectL{20, 20, 120, 80});
  rec.SelectObject(emf::StockObject(4));
  rec.Rectangle(RectL{10, 200, 190, 290});
  return rec.Finish();
}

class PageWritersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    context_.readSetting = ReadSettingInt;
    fs::create_directory(temp_);
    fs::create_directory(out_);
    spool_ = dir_.File("job.spl");
    std::vector<std::vector<uint8_t>> pages = {SmallPage(emf::ColorRef(255, 0, 0)), SmallPage(emf::ColorRef(0, 128, 0)),
                                               SmallPage(emf::ColorRef(0, 0, 255))};
    ASSERT_TRUE(WriteSpoolFile(spool_, pages));
    ASSERT_TRUE(ReadSpoolJob(spool_, job_));
    ASSERT_EQ(job_.pageCount, 3);
    ClearSettingOverrides();
  }
  void TearDown() override {
    ClearSettingOverrides();
    platform::SetDialogHost(nullptr);
  }
  bool TempFolderEmpty() const { return fs::is_empty(temp_); }
  std::string Out(const std::string& name) const { return (out_ / name).string(); }

  test::TempDir dir_;
  fs::path temp_ = dir_.Path() / "tmp";
  fs::path out_ = dir_.Path() / "out";
  test::ScopedEnv tmpdir_{"TMPDIR", (dir_.Path() / "tmp").string()};
  test::ScopedEnv windir_{"VELTO_WINDIR", dir_.Text()};
  test::ScopedEnv screen_{"VELTO_SCREEN_BITS", std::nullopt};
  std::string spool_;
  SpoolJob job_;
  WriteContext context_;
};

using PageWriter = bool (*)(const std::string&, const std::string&, int, SpoolJob&, WriteContext&);

TEST_F(PageWritersTest, ThreePagesGiveThreeFilesAndLeaveNoTemporaryFiles) {
  struct Format {
    const char* ext;
    PageWriter write;
  };
  for (Format f : {Format{".bmp", WriteBmpPage}, Format{".jpg", WriteJpegPage}, Format{".png", WritePngPage},
                   Format{".gif", WriteGifPage}}) {
    const std::string output = Out(std::string("doc") + f.ext);
    for (int k = 1; k <= 3; ++k) EXPECT_TRUE(f.write(spool_, output, k, job_, context_)) << f.ext << " page " << k;
    EXPECT_TRUE(fs::exists(Out(std::string("doc") + f.ext)));
    EXPECT_TRUE(fs::exists(Out(std::string("doc_002") + f.ext)));
    EXPECT_TRUE(fs::exists(Out(std::string("doc_003") + f.ext)));
    EXPECT_TRUE(TempFolderEmpty()) << f.ext;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(out_), fs::directory_iterator()), 12);
}

TEST_F(PageWritersTest, EveryFormatDecodesToTheSamePageAsTheBitmap) {
  ASSERT_TRUE(WriteBmpPage(spool_, Out("p.bmp"), 1, job_, context_));
  ASSERT_TRUE(WritePngPage(spool_, Out("p.png"), 1, job_, context_));
  ASSERT_TRUE(WriteGifPage(spool_, Out("p.gif"), 1, job_, context_));
  ASSERT_TRUE(WriteJpegPage(spool_, Out("p.jpg"), 1, job_, context_));
  auto bmp = test::DecodeBmp(test::ReadFileBytes(Out("p.bmp")));
  ASSERT_TRUE(bmp);
  EXPECT_EQ(bmp->width, 201);
  EXPECT_EQ(bmp->height, 297);
  auto png = test::DecodePng(Out("p.png"));
  ASSERT_TRUE(png);
  EXPECT_EQ(png->pixels, bmp->pixels);
  auto gif = test::DecodeGif(test::ReadFileBytes(Out("p.gif")));
  ASSERT_TRUE(gif);
  EXPECT_EQ(gif->image.pixels, bmp->pixels);
  auto jpg = test::DecodeJpeg(Out("p.jpg"));
  ASSERT_TRUE(jpg);
  ASSERT_EQ(jpg->width, 201);
  ASSERT_EQ(jpg->height, 297);
  // Within JPEG error: small on average; sharp colour edges lose some chroma to subsampling.
  double total = 0;
  size_t far = 0;
  for (size_t i = 0; i < jpg->pixels.size(); ++i)
    for (int shift : {0, 8, 16}) {
      int error = std::abs(int((jpg->pixels[i] >> shift) & 255) - int((bmp->pixels[i] >> shift) & 255));
      total += error;
      if (error > 48) ++far;
    }
  EXPECT_LT(total / (3.0 * jpg->pixels.size()), 3.0);
  EXPECT_LT(far, jpg->pixels.size() / 100);
  // Upright: the black block of the metafile's lower part is in the lower part of the picture.
  EXPECT_EQ(bmp->At(100, 270), 0u);
  EXPECT_EQ(bmp->At(100, 10), 0xFFFFFFu);
  EXPECT_LT(jpg->At(100, 270) & 0xFF, 40u);
}

TEST_F(PageWritersTest, BmpDepthFollowsTheSettingAndTheFileSizeFieldIsTheLength) {
  struct Case {
    std::optional<std::string> bmpcolor;
    int bits;
    uint32_t rowsOffset;
  };
  for (Case c : {Case{std::nullopt, 24, 54}, Case{"0", 1, 62}, Case{"1", 4, 118}, Case{"2", 8, 1078},
                 Case{"3", 24, 54}, Case{"7", 24, 54}, Case{"-1", 24, 54}, Case{"junk", 1, 62}}) {
    ClearSettingOverrides();
    if (c.bmpcolor) SetSettingOverride("format", "bmpcolor", *c.bmpcolor);
    const std::string path = Out("depth.bmp");
    ASSERT_TRUE(WriteBmpPage(spool_, path, 1, job_, context_));
    auto bytes = test::ReadFileBytes(path);
    ASSERT_GE(bytes.size(), 62u);
    auto u32 = [&](size_t o) { return bytes[o] | (bytes[o + 1] << 8) | (bytes[o + 2] << 16) | (uint32_t(bytes[o + 3]) << 24); };
    EXPECT_EQ(bytes[28], c.bits) << c.bmpcolor.value_or("absent");
    EXPECT_EQ(u32(2), bytes.size());
    EXPECT_EQ(u32(10), c.rowsOffset);
    EXPECT_EQ(u32(6), 0u);
    const uint32_t stride = (201 * c.bits + 31) / 32 * 4;
    EXPECT_EQ(u32(34), stride * 297);
    auto image = test::DecodeBmp(bytes);
    ASSERT_TRUE(image);
    if (c.bits == 1) {
      for (uint32_t p : image->pixels) ASSERT_TRUE(p == 0 || p == 0xFFFFFF);
    }
  }
}

TEST_F(PageWritersTest, BmpRemovesThePortFileInTheCurrentFolder) {
  const fs::path previous = fs::current_path();
  fs::current_path(out_);
  test::WriteTextFile("Velto Port", "left by the port");
  EXPECT_TRUE(WriteBmpPage(spool_, Out("port.bmp"), 1, job_, context_));
  EXPECT_FALSE(fs::exists(out_ / "Velto Port"));
  fs::current_path(previous);
}

TEST_F(PageWritersTest, JpegQualityUsesTheLowByteOfTheSetting) {
  EXPECT_EQ(JpegQualityFromSetting(90), 90);
  EXPECT_EQ(JpegQualityFromSetting(300), 44);
  EXPECT_EQ(JpegQualityFromSetting(200), -56);
  EXPECT_EQ(JpegQualityFromSetting(0), 0);
  EXPECT_EQ(JpegQualityFromSetting(127), 127);
  // The page at a setting is byte for byte the page at the quality libjpeg ends up with.
  struct Case {
    std::optional<std::string> setting;
    std::string same;
  };
  for (Case c : {Case{std::nullopt, "90"}, Case{"300", "44"}, Case{"200", "1"}, Case{"0", "1"}, Case{"100", "100"},
                 Case{"127", "100"}}) {
    ClearSettingOverrides();
    if (c.setting) SetSettingOverride("format", "jpgcompresspos", *c.setting);
    ASSERT_TRUE(WriteJpegPage(spool_, Out("a.jpg"), 2, job_, context_));
    ClearSettingOverrides();
    SetSettingOverride("format", "jpgcompresspos", c.same);
    ASSERT_TRUE(WriteJpegPage(spool_, Out("b.jpg"), 2, job_, context_));
    EXPECT_EQ(test::ReadFileBytes(Out("a.jpg")), test::ReadFileBytes(Out("b.jpg"))) << c.setting.value_or("absent");
  }
}

TEST_F(PageWritersTest, AnExistingFileIsReplaced) {
  for (const char* name : {"old.bmp", "old.jpg", "old.png", "old.gif"}) test::WriteTextFile(Out(name), std::string(100000, 'x'));
  EXPECT_TRUE(WriteBmpPage(spool_, Out("old.bmp"), 1, job_, context_));
  EXPECT_TRUE(WriteJpegPage(spool_, Out("old.jpg"), 1, job_, context_));
  EXPECT_TRUE(WritePngPage(spool_, Out("old.png"), 1, job_, context_));
  EXPECT_TRUE(WriteGifPage(spool_, Out("old.gif"), 1, job_, context_));
  EXPECT_TRUE(test::DecodeBmp(test::ReadFileBytes(Out("old.bmp"))));
  EXPECT_TRUE(test::DecodeJpeg(Out("old.jpg")));
  EXPECT_TRUE(test::DecodePng(Out("old.png")));
  EXPECT_TRUE(test::DecodeGif(test::ReadFileBytes(Out("old.gif"))));
}

TEST_F(PageWritersTest, AnUnwritableFolderGivesNoFileAndFailure) {
  platform::ScriptedDialogHost host;
  platform::SetDialogHost(&host);
  const std::string missing = (out_ / "no-such-folder" / "doc.x").string();
  for (auto [ext, write] : {std::pair<const char*, PageWriter>{".bmp", WriteBmpPage}, {".jpg", WriteJpegPage},
                            {".png", WritePngPage}, {".gif", WriteGifPage}}) {
    const std::string path = (out_ / "no-such-folder" / (std::string("doc") + ext)).string();
    WriteContext context;
    EXPECT_FALSE(write(spool_, path, 1, job_, context)) << ext;
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(TempFolderEmpty()) << ext;
    // The page is named with the file and the system's reason.
    ASSERT_EQ(context.report.Problems().size(), 1u) << ext;
    EXPECT_EQ(context.report.Problems()[0].kind, WriteProblem::Kind::NotWritten);
    EXPECT_EQ(context.report.Problems()[0].page, 1);
    EXPECT_EQ(context.report.Problems()[0].file, path);
    EXPECT_EQ(context.report.Problems()[0].reason, "No such file or directory");
  }
  // Only the JPEG writer tells the user, and only in job mode.
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "JpegFile :\nCan't open " + (out_ / "no-such-folder" / "doc.jpg").string() + "\n");
  EXPECT_EQ(host.messages[0].style, platform::MB_OK);
  WriteContext quiet;
  quiet.jobMode = false;
  EXPECT_FALSE(WriteJpegPage(spool_, (out_ / "no-such-folder" / "doc.jpg").string(), 1, job_, quiet));
  EXPECT_EQ(host.messages.size(), 1u);
  platform::SetDialogHost(nullptr);
}

TEST_F(PageWritersTest, AFolderInPlaceOfTheFileIsNeverReplaced) {
  for (auto [ext, write] : {std::pair<const char*, PageWriter>{".bmp", WriteBmpPage}, {".jpg", WriteJpegPage},
                            {".png", WritePngPage}, {".gif", WriteGifPage}}) {
    const fs::path folder = out_ / (std::string("taken") + ext);
    fs::create_directories(folder / "inside");
    WriteContext context;
    context.jobMode = false;
    EXPECT_FALSE(write(spool_, folder.string(), 1, job_, context)) << ext;
    EXPECT_TRUE(fs::is_directory(folder / "inside"));
    ASSERT_EQ(context.report.Problems().size(), 1u);
    EXPECT_EQ(context.report.Problems()[0].reason, "Is a directory");
  }
  // Nothing but the folders themselves.
  EXPECT_EQ(std::distance(fs::directory_iterator(out_), fs::directory_iterator()), 4);
}

TEST_F(PageWritersTest, PagesThatCannotBeExtractedOrRenderedGiveNoFile) {
  for (PageWriter write : {WriteBmpPage, WriteJpegPage, WritePngPage, WriteGifPage}) {
    // No spool file.
    EXPECT_FALSE(write(dir_.File("missing.spl"), Out("x.bmp"), 1, job_, context_));
    // A page number outside the job.
    EXPECT_FALSE(write(spool_, Out("x.bmp"), 4, job_, context_));
    EXPECT_FALSE(write(spool_, Out("x.bmp"), 0, job_, context_));
    EXPECT_TRUE(TempFolderEmpty());
  }
  // A page whose metafile header gives no size (0 mm device) cannot be rendered.
  emf::MetafileRecorder rec(RectL{0, 0, 2000, 3000}, SizeL{200, 300}, SizeL{0, 0});
  std::vector<std::vector<uint8_t>> pages = {rec.Finish()};
  const std::string bad = dir_.File("bad.spl");
  ASSERT_TRUE(WriteSpoolFile(bad, pages));
  SpoolJob badJob;
  ASSERT_TRUE(ReadSpoolJob(bad, badJob));
  for (PageWriter write : {WriteBmpPage, WriteJpegPage, WritePngPage, WriteGifPage}) {
    WriteContext context;
    EXPECT_FALSE(write(bad, Out("x.bmp"), 1, badJob, context));
    EXPECT_TRUE(TempFolderEmpty());
    // The page itself is at fault: it is named as damaged, not as a failed write.
    ASSERT_EQ(context.report.Problems().size(), 1u);
    EXPECT_EQ(context.report.Problems()[0].kind, WriteProblem::Kind::Unreadable);
    EXPECT_EQ(context.report.Problems()[0].reason, "its metafile has no usable page frame");
  }
  EXPECT_TRUE(fs::is_empty(out_));
}

TEST_F(PageWritersTest, LowColourDisplays) {
#ifdef _WIN32
  GTEST_SKIP() << "the display's depth is set only through the stand-in of other platforms";
#endif
  for (const char* bits : {"1", "4", "8"}) {
    test::ScopedEnv screen("VELTO_SCREEN_BITS", std::string(bits));
    // JPEG and GIF read out at 24 bits whatever the display.
    ASSERT_TRUE(WriteJpegPage(spool_, Out("low.jpg"), 1, job_, context_));
    auto jpg = test::DecodeJpeg(Out("low.jpg"));
    ASSERT_TRUE(jpg);
    ASSERT_TRUE(WriteGifPage(spool_, Out("low.gif"), 1, job_, context_));
    ASSERT_TRUE(test::DecodeGif(test::ReadFileBytes(Out("low.gif"))));
    // PNG follows the display with a palette image.
    ASSERT_TRUE(WritePngPage(spool_, Out("low.png"), 1, job_, context_));
    auto png = test::ReadFileBytes(Out("low.png"));
    ASSERT_GT(png.size(), 26u);
    EXPECT_EQ(png[24], std::atoi(bits));  // IHDR bit depth
    EXPECT_EQ(png[25], 3);                // palette colour type
  }
}

}  // namespace
}  // namespace velto
