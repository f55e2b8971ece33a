#include <gtest/gtest.h>

#include "job/document_name.h"
#include "job/output_format.h"
#include "spool/page_file_name.h"

namespace velto {
namespace {

std::string Cleaned(std::string name) {
  CleanDocumentName(name);
  return name;
}

TEST(CleanDocumentName, ShortEndingsGoAndForbiddenCharactersBecomeUnderscores) {
  EXPECT_EQ(Cleaned("Report.doc"), "Report");
  EXPECT_EQ(Cleaned("Report.html"), "Report");          // dot and four letters: 5 characters
  EXPECT_EQ(Cleaned("Quarterly.final"), "Quarterly_final");  // 6 characters stay
  EXPECT_EQ(Cleaned("a.b.c"), "a_b");
  EXPECT_EQ(Cleaned("\\\\server\\share"), "__server_share");  // the first character too
  EXPECT_EQ(Cleaned("x\"*/:<>?|y"), "x________y");
  EXPECT_EQ(Cleaned("Microsoft Word - 报告.docx"), "Microsoft Word - 报告");
  // Endings are measured in characters, not in the bytes of their UTF-8 form.
  EXPECT_EQ(Cleaned("报告.文档"), "报告");
  EXPECT_EQ(Cleaned("报告.文档文档文"), "报告_文档文档文");  // six characters stay
  EXPECT_EQ(Cleaned(""), "");
  EXPECT_EQ(Cleaned(".txt"), "");
}

TEST(CutToBytes, NeverSplitsACharacter) {
  std::string text = "ab报告";  // 2 + 3 + 3 bytes
  CutToBytes(text, 6);
  EXPECT_EQ(text, "ab报");
  text = "ab报告";
  CutToBytes(text, 4);
  EXPECT_EQ(text, "ab");
  text = "abc";
  CutToBytes(text, 10);
  EXPECT_EQ(text, "abc");
}

TEST(FormatExtension, EveryUnknownNumberIsText) {
  const char* expected[] = {"bmp", "tif", "jpg", "gif", "pdf", "png", "emf", "txt"};
  for (int f = 0; f < 8; ++f) EXPECT_EQ(FormatExtension(f), expected[f]);
  EXPECT_EQ(FormatExtension(9), "txt");
  EXPECT_EQ(FormatExtension(-1), "txt");
}

TEST(MakePageFileName, PageNumbersBeforeTheExtension) {
  EXPECT_EQ(MakePageFileName("/out/report.bmp", 1), "/out/report.bmp");
  EXPECT_EQ(MakePageFileName("/out/report.bmp", 2), "/out/report_002.bmp");
  EXPECT_EQ(MakePageFileName("/out/report.bmp", 1000), "/out/report_1000.bmp");
  EXPECT_EQ(MakePageFileName("/my.files/doc.png", 45), "/my.files/doc_045.png");
  EXPECT_FALSE(MakePageFileName("/out/report", 2).has_value());
}

}  // namespace
}  // namespace velto
