#include "printer/test_page.h"

#include <ctime>

#include "platform/emf/metafile_recorder.h"
#include "spool/spool_file_writer.h"

namespace velto {
namespace {

std::u16string Utf16(const std::string& utf8) {
  std::u16string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    if (i + n > utf8.size()) n = 1;
    char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1f) : n == 3 ? (c & 0x0f) : (c & 0x07);
    for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3f);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xd800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xdc00 + (cp & 0x3ff)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += n;
  }
  return out;
}

}  // namespace

std::vector<uint8_t> RecordTestPage(const platform::PrinterRecord& record) {
  using namespace velto::emf;
  // An A4 page at 300 dpi: logical units are device pixels.
  MetafileRecorder page(RectL{0, 0, 21000, 29700}, SizeL{2480, 3508}, SizeL{210, 297}, u"Velto Print test page");
  page.SetBkMode(1);  // transparent
  page.SetTextColor(ColorRef(0, 0, 0));
  page.CreatePen(1, 0, 6, ColorRef(0, 0, 0));
  page.SelectObject(1);
  page.SelectObject(StockObject(5));  // NULL_BRUSH
  page.Rectangle(RectL{236, 236, 2244, 3272});
  page.CreateFont(2, -96, 700, u"SimSun", false, 134);
  page.SelectObject(2);
  page.ExtTextOutW(PointL{354, 354}, Utf16(record.printerName.value_or("") + " 打印机测试页"));
  page.CreateFont(3, -50, 400, u"SimSun", false, 134);
  page.SelectObject(3);
  page.DeleteObject(2);

  char when[64] = "";
  std::time_t now = std::time(nullptr);
  if (const std::tm* local = std::localtime(&now)) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", local);
  const std::string lines[] = {
      "如果您能看到这一页，说明打印机已正确安装。",
      "",
      "打印机名称：" + record.printerName.value_or(""),
      "打印机型号：" + record.driverName.value_or(""),
      "端口：" + record.portName.value_or(""),
      "打印处理器：" + record.printProcessor.value_or(""),
      "数据类型：" + record.datatype.value_or(""),
      "说明：" + record.comment.value_or(""),
      std::string("打印时间：") + when,
  };
  int y = 600;
  for (const std::string& line : lines) {
    if (!line.empty()) page.ExtTextOutW(PointL{354, y}, Utf16(line));
    y += 90;
  }
  page.MoveTo(PointL{354, y + 40});
  page.LineTo(PointL{2126, y + 40});
  page.SelectObject(StockObject(7));  // BLACK_PEN
  page.DeleteObject(1);
  page.DeleteObject(3);
  return page.Finish();
}

bool PrintTestPage(platform::HANDLE printer, std::string* spoolPath) {
  platform::PrinterRecord record;
  if (!platform::GetPrinter2(printer, record)) return false;
  const std::vector<std::vector<uint8_t>> pages = {RecordTestPage(record)};
  SpoolFileOptions options;
  options.documentName = Utf16(kTestPageDocumentName);
  options.deviceName = Utf16(record.printerName.value_or(""));
  const std::vector<uint8_t> spool = MakeSpoolFile(pages, options);
  return platform::SubmitSpoolJob(printer, kTestPageDocumentName, spool, spoolPath);
}

}  // namespace velto
