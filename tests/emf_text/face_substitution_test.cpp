// Which installed family stands in for a Windows face.
#include <gtest/gtest.h>

#include "platform/emf/text/face_table.h"
#include "platform/emf/text/font.h"
#include "platform/emf/text/symbol_encoding.h"

namespace velto::emf::text {
namespace {

constexpr uint8_t kAnsiCharSet = 0;
constexpr uint8_t kGb2312CharSet = 134;
constexpr uint8_t kShiftJisCharSet = 128;

TEST(FaceSubstitution, WindowsFacesMapToMetricCompatibleFamilies) {
  struct Case {
    std::u16string face;
    std::string family;
  };
  const Case cases[] = {
      {u"Arial", "Liberation Sans"},         {u"Helvetica", "Liberation Sans"},
      {u"MS Sans Serif", "Liberation Sans"}, {u"Microsoft Sans Serif", "Liberation Sans"},
      {u"Times New Roman", "Liberation Serif"}, {u"Times", "Liberation Serif"},
      {u"Courier New", "Liberation Mono"},   {u"Courier", "Liberation Mono"},
      {u"Calibri", "Carlito"},               {u"Cambria", "Caladea"},
      {u"Tahoma", "DejaVu Sans"},            {u"Verdana", "DejaVu Sans"},
      {u"Segoe UI", "DejaVu Sans"},          {u"Arial Narrow", "Liberation Sans Narrow"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SubstituteFamily(c.face, kAnsiCharSet), c.family) << ToUtf8(c.face);
  }
}

TEST(FaceSubstitution, ChineseFacesByEitherNameMapToTheChineseFace) {
  for (std::u16string face : {u"SimHei", u"\u9ED1\u4F53", u"Microsoft YaHei",
                              u"\u5FAE\u8F6F\u96C5\u9ED1", u"KaiTi", u"FangSong", u"MingLiU", u"PMingLiU",
                              u"MS Mincho"}) {
    EXPECT_EQ(SubstituteFamily(face, kGb2312CharSet), "WenQuanYi Zen Hei") << ToUtf8(face);
  }
  // SimSun and NSimSun have half-width Latin letters, as have the fixed-pitch Japanese cuts.
  EXPECT_EQ(SubstituteFamily(u"SimSun", kGb2312CharSet), "WenQuanYi Zen Hei Mono");
  EXPECT_EQ(SubstituteFamily(u"\u5B8B\u4F53", kGb2312CharSet), "WenQuanYi Zen Hei Mono");
  EXPECT_EQ(SubstituteFamily(u"NSimSun", kGb2312CharSet), "WenQuanYi Zen Hei Mono");
  EXPECT_EQ(SubstituteFamily(u"\u65B0\u5B8B\u4F53", kGb2312CharSet), "WenQuanYi Zen Hei Mono");
  EXPECT_EQ(SubstituteFamily(u"MS Gothic", kShiftJisCharSet), "WenQuanYi Zen Hei Mono");
}

TEST(FaceSubstitution, EveryRowIsReachableAndHasAnInstalledFamily) {
  for (const FaceSubstitution& row : FaceSubstitutionTable()) {
    // A second row for the same face (in another case) would never be reached.
    EXPECT_EQ(FindFaceSubstitution(row.windowsFace), &row) << ToUtf8(row.windowsFace);
    const std::string family = SubstituteFamily(row.windowsFace, kAnsiCharSet);
    bool listed = false;
    for (const char* candidate : row.families) listed = listed || family == candidate;
    EXPECT_TRUE(listed) << ToUtf8(row.windowsFace) << " -> " << family;
  }
}

TEST(FaceSubstitution, NamesAreMatchedLooselyAsGdiMatchesThem) {
  // Case does not matter; '@' (vertical writing) maps like the base face; LOGFONT buffers carry NULs.
  EXPECT_EQ(SubstituteFamily(u"ARIAL", kAnsiCharSet), "Liberation Sans");
  EXPECT_EQ(SubstituteFamily(u"times new roman", kAnsiCharSet), "Liberation Serif");
  EXPECT_EQ(SubstituteFamily(u"@SimHei", kGb2312CharSet), "WenQuanYi Zen Hei");
  EXPECT_EQ(SubstituteFamily(u"@\u5B8B\u4F53", kGb2312CharSet), "WenQuanYi Zen Hei Mono");
  EXPECT_EQ(SubstituteFamily(std::u16string(u"Arial\0\0\0", 8), kAnsiCharSet), "Liberation Sans");
  EXPECT_EQ(NormaliseFaceName(u"  @Courier New "), u"Courier New");
}

TEST(FaceSubstitution, FacesOutsideTheTableUseTheInstalledFaceOrADefault) {
  // An installed family is taken as it is.
  EXPECT_EQ(SubstituteFamily(u"DejaVu Serif", kAnsiCharSet), "DejaVu Serif");
  // Unknown faces: the character set decides.
  EXPECT_EQ(SubstituteFamily(u"No Such Face 123", kAnsiCharSet), "Liberation Sans");
  EXPECT_EQ(SubstituteFamily(u"No Such Face 123", kGb2312CharSet), "WenQuanYi Zen Hei");
  EXPECT_EQ(SubstituteFamily(u"", kAnsiCharSet), "Liberation Sans");
  EXPECT_FALSE(SubstituteFamily(u"Wingdings", 2).empty());
}

TEST(FaceSubstitution, PitchAndFamilyPickTheDefaultForUnknownFaces) {
  EXPECT_STREQ(DefaultFamilies(0, 0x10)[0], "Liberation Serif");  // FF_ROMAN
  EXPECT_STREQ(DefaultFamilies(0, 0x31)[0], "Liberation Mono");   // FF_MODERN | FIXED_PITCH
  EXPECT_STREQ(DefaultFamilies(0, 0x01)[0], "Liberation Mono");   // FIXED_PITCH
  EXPECT_STREQ(DefaultFamilies(0, 0x20)[0], "Liberation Sans");   // FF_SWISS
  EXPECT_STREQ(DefaultFamilies(136, 0x10)[0], "WenQuanYi Zen Hei");  // Big5 wins over roman
  LogFont unknownSerif;
  unknownSerif.faceName = u"Unknown Roman Face";
  unknownSerif.pitchAndFamily = 0x12;
  EXPECT_EQ(RealiseFont(unknownSerif, -20, 0)->FamilyName(), "Liberation Serif");
}

TEST(FaceSubstitution, SymbolFacesTranslateTheirEncodingToUnicode) {
  EXPECT_EQ(SymbolToUnicode(0x61), 0x03B1u);    // alpha
  EXPECT_EQ(SymbolToUnicode(0xF057), 0x03A9u);  // Omega, private-use copy
  EXPECT_EQ(SymbolToUnicode(0xB7), 0x2022u);    // the bullet of Word's lists
  EXPECT_EQ(SymbolToUnicode(0x31), 0x31u);
  EXPECT_EQ(SymbolToUnicode(0x4E00), 0x4E00u);  // outside the encoding: unchanged
  EXPECT_EQ(WingdingsToUnicode(0xF0A7), 0x25AAu);
  EXPECT_EQ(WingdingsToUnicode(0xFC), 0x2714u);
  LogFont symbol;
  symbol.faceName = u"Symbol";
  symbol.charSet = 2;
  const auto font = RealiseFont(symbol, -20, 0);
  for (const Glyph& g : font->MapText(u"\uF061\uF062p\u00B7")) EXPECT_NE(g.index, 0u);
}

TEST(FaceSubstitution, Utf8ConversionCombinesSurrogatesAndReplacesLoneOnes) {
  EXPECT_EQ(ToUtf8(u"A\u5B8B"), "A\xE5\xAE\x8B");
  EXPECT_EQ(ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(ToUtf8(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace velto::emf::text
