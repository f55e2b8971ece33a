#include <gtest/gtest.h>

#include "job/writer_table.h"

namespace velto {
namespace {

TEST(WriterTable, ExtensionPicksTheWriterWithoutRegardToCase) {
  struct Case {
    const char* path;
    WriterId id;
    WriterKind kind;
  } cases[] = {
      {"/o/doc.emf", WriterId::Emf, WriterKind::PerPage},   {"/o/doc.BMP", WriterId::Bmp, WriterKind::PerPage},
      {"/o/doc.TIF", WriterId::Tiff, WriterKind::Document}, {"/o/doc.Jpg", WriterId::Jpeg, WriterKind::PerPage},
      {"/o/doc.gif", WriterId::Gif, WriterKind::PerPage},   {"/my.files/doc.pdf", WriterId::Pdf, WriterKind::Document},
      {"/o/doc.txt", WriterId::Text, WriterKind::Document}, {"/o/doc.PNG", WriterId::Png, WriterKind::PerPage},
  };
  for (const auto& c : cases) {
    auto row = FindWriter(c.path);
    ASSERT_TRUE(row.has_value()) << c.path;
    EXPECT_EQ(row->id, c.id) << c.path;
    EXPECT_EQ(row->kind, c.kind) << c.path;
  }
}

TEST(WriterTable, OtherExtensionsHaveNoWriter) {
  for (const char* path : {"/o/doc.tiff", "/o/doc.jpeg", "/o/doc.doc", "/o/doc", "/my.files/doc", "/o/doc.",
                           "/o/doc.pdf.bak"}) {
    EXPECT_FALSE(FindWriter(path).has_value()) << path;
  }
  EXPECT_EQ(OutputExtension("/my.files/doc"), ".files/doc");
  size_t count = 0;
  const WriterRow* rows = WriterRows(count);
  ASSERT_EQ(count, 8u);
  EXPECT_STREQ(rows[0].extension, ".EMF");
  EXPECT_STREQ(rows[7].extension, ".png");
}

}  // namespace
}  // namespace velto
