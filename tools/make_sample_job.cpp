// velto-make-sample-job: writes a small two-page print job of Velto Print (an EMF spool file) recorded
// by our own metafile recorder: shapes in colour, and text in Latin and Chinese.
//
//   velto-make-sample-job [--pages N] [OUT.spl]     (default: 2 pages, sample.spl)
//
// With --pages the two sample pages alternate up to N pages (1 to 4999), for trying long jobs.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/emf/metafile_recorder.h"
#include "spool/spool_file_writer.h"

namespace {

using namespace std::literals;
using velto::emf::ColorRef;
using velto::emf::MetafileRecorder;
using velto::emf::PointL;
using velto::emf::RectL;
using velto::emf::SizeL;
using velto::emf::StockObject;

constexpr uint32_t kSolidBrush = 0;  // BS_SOLID
constexpr uint32_t kSolidPen = 0;    // PS_SOLID
constexpr uint32_t kTransparent = 1; // background mode
constexpr uint32_t kNullBrush = 5;   // stock object

// An A4 page at 300 dpi: 2480 × 3508 pixels, 210 × 297 mm.
MetafileRecorder A4Page(std::u16string_view description) {
  return MetafileRecorder(RectL{0, 0, 21000, 29700}, SizeL{2480, 3508}, SizeL{210, 297}, description);
}

void Text(MetafileRecorder& page, uint32_t font, int32_t height, int32_t weight, std::u16string_view face,
          PointL at, std::u16string_view text, uint32_t colour = ColorRef(0, 0, 0)) {
  page.CreateFont(font, height, weight, face, false, face == u"SimSun" ? 134 : 1);
  page.SelectObject(font);
  page.SetTextColor(colour);
  page.ExtTextOutW(at, text);
  page.SelectObject(StockObject(13));  // SYSTEM_FONT
  page.DeleteObject(font);
}

std::vector<uint8_t> FirstPage() {
  auto page = A4Page(u"Velto Print sample\0page 1\0"sv);
  page.SetBkMode(kTransparent);
  // A banner across the top.
  page.CreateBrush(1, kSolidBrush, ColorRef(30, 80, 160));
  page.SelectObject(1);
  page.SelectObject(StockObject(8));  // NULL_PEN
  page.Rectangle(RectL{200, 200, 2280, 560});
  page.SelectObject(StockObject(7));  // BLACK_PEN
  page.SelectObject(StockObject(kNullBrush));
  page.DeleteObject(1);
  Text(page, 2, -150, 700, u"Arial", PointL{280, 290}, u"Velto Print 示例", ColorRef(255, 255, 255));

  // Shapes: a red ellipse, a green polygon, a yellow rectangle with a thick outline.
  page.CreatePen(3, kSolidPen, 12, ColorRef(0, 0, 0));
  page.SelectObject(3);
  page.CreateBrush(4, kSolidBrush, ColorRef(220, 40, 40));
  page.SelectObject(4);
  page.Ellipse(RectL{300, 800, 1100, 1500});
  page.CreateBrush(5, kSolidBrush, ColorRef(40, 170, 70));
  page.SelectObject(5);
  const std::vector<PointL> star{{1700, 800}, {1880, 1300}, {1400, 990}, {2000, 990}, {1520, 1300}};
  page.SetPolyFillMode(2);  // WINDING
  page.Polygon16(star);
  page.CreateBrush(6, kSolidBrush, ColorRef(250, 210, 40));
  page.SelectObject(6);
  page.Rectangle(RectL{300, 1700, 2180, 2100});
  page.SelectObject(StockObject(kNullBrush));
  page.SelectObject(StockObject(7));
  page.DeleteObject(4);
  page.DeleteObject(5);
  page.DeleteObject(6);
  page.DeleteObject(3);
  Text(page, 7, -90, 400, u"Times New Roman", PointL{360, 1830}, u"Shapes, colours and text on page 1 of 2.");

  // Lines: a small grid.
  for (int i = 0; i <= 8; ++i) {
    page.MoveTo(PointL{300 + i * 235, 2400});
    page.LineTo(PointL{300 + i * 235, 3200});
  }
  for (int j = 0; j <= 4; ++j) {
    page.MoveTo(PointL{300, 2400 + j * 200});
    page.LineTo(PointL{2180, 2400 + j * 200});
  }
  return page.Finish();
}

std::vector<uint8_t> SecondPage() {
  auto page = A4Page(u"Velto Print sample\0page 2\0"sv);
  page.SetBkMode(kTransparent);
  Text(page, 1, -120, 700, u"Arial", PointL{250, 250}, u"Page 2: text");
  Text(page, 2, -80, 400, u"Times New Roman", PointL{250, 500},
       u"The quick brown fox jumps over the lazy dog.");
  Text(page, 3, -80, 400, u"Courier New", PointL{250, 650}, u"0123456789 !\"#$%&'()*+,-./");
  Text(page, 4, -100, 400, u"SimSun", PointL{250, 850}, u"虚拟打印机把打印作业保存为图像、传真和文档。");
  Text(page, 5, -100, 400, u"SimSun", PointL{250, 1050}, u"Velto Print 示例：第二页");
  page.CreatePen(6, kSolidPen, 6, ColorRef(30, 80, 160));
  page.SelectObject(6);
  page.MoveTo(PointL{250, 1250});
  page.LineTo(PointL{2230, 1250});
  page.SelectObject(StockObject(7));
  page.DeleteObject(6);
  return page.Finish();
}

}  // namespace

int main(int argc, char** argv) {
  constexpr const char* kUsage = "Usage: velto-make-sample-job [--pages N] [OUT.spl]\n";
  std::string path = "sample.spl";
  long pageCount = 2;
  bool havePath = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::printf("%s", kUsage);
      return 0;
    }
    if (a == "--pages" && i + 1 < argc) {
      char* end = nullptr;
      pageCount = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || pageCount < 1 || pageCount > 4999) {
        std::fprintf(stderr, "velto-make-sample-job: --pages takes a number from 1 to 4999\n");
        return 2;
      }
    } else if (!havePath && !a.empty() && a[0] != '-') {
      path = a;
      havePath = true;
    } else {
      std::fprintf(stderr, "%s", kUsage);
      return 2;
    }
  }
  const std::vector<uint8_t> first = FirstPage();
  const std::vector<uint8_t> second = SecondPage();
  std::vector<std::vector<uint8_t>> pages;
  for (long k = 0; k < pageCount; ++k) pages.push_back(k % 2 == 0 ? first : second);
  velto::SpoolFileOptions options;
  options.documentName = u"Velto Print Sample";
  if (!velto::WriteSpoolFile(path, pages, options)) {
    std::fprintf(stderr, "velto-make-sample-job: %s: cannot write the sample job\n", path.c_str());
    return 1;
  }
  std::printf("%s: %ld page%s\n", path.c_str(), pageCount, pageCount == 1 ? "" : "s");
  return 0;
}
