// Metafiles drawn into PDF pages as vectors: text stays text that a reader can extract, bitmaps keep
// their own resolution, and failures to write are reported.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/emf/vector/pdf_document.h"
#include "tests/emf/playback_fixture.h"

namespace velto::test {
namespace {

using emf::vector::PdfDocument;

struct PipeCloser {
  void operator()(FILE* f) const { pclose(f); }
};

// The text poppler's pdftotext reads from the document; no value when the tool is not installed.
std::optional<std::string> TextOf(const std::vector<uint8_t>& pdf) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("velto-pdf-device-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                     "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".pdf");
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(pdf.data()), static_cast<std::streamsize>(pdf.size()));
  }
  std::string text;
  bool ran = false;
  {
    std::unique_ptr<FILE, PipeCloser> pipe(popen(("pdftotext -q '" + path.string() + "' - 2>/dev/null").c_str(), "r"));
    if (pipe) {
      char buffer[4096];
      size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) text.append(buffer, n);
      ran = pclose(pipe.release()) == 0;
    }
  }
  std::filesystem::remove(path);
  if (!ran) return std::nullopt;
  return text;
}

std::vector<uint8_t> PdfOf(const std::vector<emf::MetafileRecorder*>& pages, bool* complete = nullptr) {
  std::vector<uint8_t> bytes;
  PdfDocument pdf([&](std::span<const uint8_t> b) {
    bytes.insert(bytes.end(), b.begin(), b.end());
    return true;
  });
  bool all = true;
  for (auto* rec : pages) {
    auto metafile = emf::Metafile::FromBytes(rec->Finish());
    EXPECT_TRUE(metafile);
    if (metafile) all = emf::vector::PlayMetafileToPdfPage(pdf, *metafile, 200, 200) && all;
  }
  EXPECT_TRUE(pdf.Finish());
  EXPECT_EQ(pdf.Pages(), static_cast<int>(pages.size()));
  if (complete) *complete = all;
  return bytes;
}

TEST(PdfDevice, TextComesOutAsTextAndShapesAroundItDoNotStopThePage) {
  auto rec = PixelRecorder();
  rec.CreateBrush(1, 0, emf::ColorRef(200, 220, 255)).SelectObject(1).Rectangle({5, 5, 95, 40});
  rec.CreateFont(2, -12, 700, u"Arial").SelectObject(2).SetBkMode(1);
  rec.ExtTextOutW({8, 10}, u"Hello PDF world");
  rec.CreateFont(3, -10, 400, u"Times New Roman").SelectObject(3);
  rec.ExtTextOutW({8, 60}, u"Zürich 2026");
  // Operations that read pixels are left out on a vector page, not failed.
  rec.Add(emf::EMR_EXTFLOODFILL, emf::RecordBytes().I32(50).I32(80).U32(0).U32(1));
  auto second = PixelRecorder();
  second.CreateFont(1, -12, 400, u"Courier New").SelectObject(1).ExtTextOutW({5, 5}, u"second page");
  bool complete = false;
  const auto pdf = PdfOf({&rec, &second}, &complete);
  EXPECT_TRUE(complete);
  ASSERT_GT(pdf.size(), 1000u);
  EXPECT_EQ(std::string(pdf.begin(), pdf.begin() + 5), "%PDF-");
  // Fonts go in as subsets with a map back to the characters.
  EXPECT_NE(std::string(pdf.begin(), pdf.end()).find("/ToUnicode"), std::string::npos);
  const auto text = TextOf(pdf);
  if (!text) GTEST_SKIP() << "pdftotext is not installed";
  EXPECT_NE(text->find("Hello PDF world"), std::string::npos) << *text;
  EXPECT_NE(text->find("Zürich 2026"), std::string::npos) << *text;
  EXPECT_NE(text->find("second page"), std::string::npos) << *text;
}

TEST(PdfDevice, BitmapsKeepTheirOwnResolution) {
  auto rec = PixelRecorder();
  const Dib dib = MakeDib(3, 2, 24, {}, {{0, 0, 255, 0, 255, 0, 255, 0, 0}, {255, 255, 255, 0, 0, 0, 128, 128, 128}});
  AddStretchDIBits(rec, dib, 10, 10, 60, 40, 3, 2);
  const auto pdf = PdfOf({&rec});
  const std::string s(pdf.begin(), pdf.end());
  EXPECT_NE(s.find("/Width 3"), std::string::npos);
  EXPECT_NE(s.find("/Height 2"), std::string::npos);
}

TEST(PdfDevice, FailuresToWriteAndEmptyDocumentsAreReported) {
  auto rec = PixelRecorder();
  rec.Rectangle({10, 10, 50, 50});
  auto metafile = emf::Metafile::FromBytes(rec.Finish());
  ASSERT_TRUE(metafile);
  {
    PdfDocument refusing([](std::span<const uint8_t>) { return false; });
    emf::vector::PlayMetafileToPdfPage(refusing, *metafile, 200, 200);
    EXPECT_FALSE(refusing.Finish());
    EXPECT_TRUE(refusing.Failed());
  }
  {
    PdfDocument empty([](std::span<const uint8_t>) { return true; });
    EXPECT_FALSE(empty.Finish());
  }
  {
    PdfDocument pdf([](std::span<const uint8_t>) { return true; });
    EXPECT_FALSE(emf::vector::PlayMetafileToPdfPage(pdf, *metafile, 0, 200));
    EXPECT_FALSE(emf::vector::PlayMetafileToPdfPage(pdf, *metafile, 200, 1e9));
    EXPECT_FALSE(emf::vector::PlayMetafileToPdfPage(pdf, *metafile, 200, 200, 1));
    EXPECT_TRUE(emf::vector::PlayMetafileToPdfPage(pdf, *metafile, 200, 200));
    EXPECT_TRUE(pdf.Finish());
    EXPECT_FALSE(emf::vector::PlayMetafileToPdfPage(pdf, *metafile, 200, 200));  // finished
  }
  {
    // Abandoned half way: the rest of the document is dropped, not written to a writer whose owner
    // may be gone.
    size_t written = 0;
    {
      PdfDocument pdf([&written](std::span<const uint8_t> b) {
        written += b.size();
        return true;
      });
      EXPECT_TRUE(emf::vector::PlayMetafileToPdfPage(pdf, *metafile, 200, 200));
      written = 0;
    }
    EXPECT_EQ(written, 0u);
  }
}

}  // namespace
}  // namespace velto::test
