// How fast the font layer answers the engine: realising fonts, mapping strings and drawing glyphs.
// A page with thousands of text records realises the same few fonts again and again, so the cached
// paths are the ones that matter. Run: <build dir>/bench/bench-font-realise
#include <cairo.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/emf/text/font.h"
#include "platform/emf/text/glyph_raster.h"

using namespace velto::emf::text;

namespace {

using Clock = std::chrono::steady_clock;

double MicrosecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

LogFont Face(const std::u16string& name) {
  LogFont font;
  font.faceName = name;
  return font;
}

template <typename F>
void Measure(const char* what, int repeats, F&& body) {
  const auto start = Clock::now();
  for (int i = 0; i < repeats; ++i) body(i);
  std::printf("%-52s %10.2f us\n", what, MicrosecondsSince(start) / repeats);
}

}  // namespace

int main() {
  std::u16string latin;
  while (latin.size() < 100) latin += u"The quick brown fox jumps over the lazy dog. ";
  latin.resize(100);
  std::u16string chinese;
  while (chinese.size() < 100) chinese += u"\u865A\u62DF\u6253\u5370\u673A\u63A7\u5236\u53F0\u8F93\u51FA ";
  chinese.resize(100);

  auto start = Clock::now();
  auto arial = RealiseFont(Face(u"Arial"), -20, 0);
  std::printf("%-52s %10.2f us\n", "first font (fontconfig and FreeType start-up)", MicrosecondsSince(start));
  start = Clock::now();
  arial->MapText(latin);
  std::printf("%-52s %10.2f us\n", "first 100-character Latin string", MicrosecondsSince(start));
  start = Clock::now();
  auto simsun = RealiseFont(Face(u"SimSun"), -20, 0);
  simsun->MapText(chinese);
  std::printf("%-52s %10.2f us\n", "first Chinese font and string", MicrosecondsSince(start));
  start = Clock::now();
  arial->MapText(chinese);
  std::printf("%-52s %10.2f us\n", "first Chinese string through fallback", MicrosecondsSince(start));

  Measure("realise a cached font", 100000, [](int) { RealiseFont(Face(u"Arial"), -20, 0); });
  Measure("realise 50 sizes in turn (cached)", 100000, [](int i) { RealiseFont(Face(u"Arial"), -10 - i % 50, 0); });
  Measure("realise a new height of a known pixel size", 2000,
          [](int i) { RealiseFont(Face(u"Arial"), -100 - i * 0.0001, 0); });
  Measure("realise a pixel size not seen before", 400, [](int i) { RealiseFont(Face(u"Arial"), -200 - i, 0); });
  Measure("map 100 Latin characters", 20000, [&](int) { arial->MapText(latin); });
  Measure("map 100 Chinese characters via fallback", 20000, [&](int) { arial->MapText(chinese); });
  Measure("realise + map 100 characters (a text record)", 20000, [&](int) {
    RealiseFont(Face(u"Times New Roman"), -16, 0)->MapText(latin);
  });

  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 2000, 200);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 0, 0, 0);
  for (auto [name, font, text] : {std::tuple{"draw 100 Latin glyphs", arial, latin},
                                  std::tuple{"draw 100 Chinese glyphs", simsun, chinese}}) {
    const auto drawn = font;  // clang lets no lambda capture a structured binding
    const auto glyphs = font->MapText(text);
    std::vector<GlyphOrigin> origins;
    double x = 5;
    for (const Glyph& g : glyphs) {
      origins.push_back({x, 100});
      x += g.advance;
    }
    Measure(name, 2000, [&](int) { DrawGlyphs(cr, *drawn, glyphs, origins, 0); });
    Measure("  the same, rotated 30 degrees", 2000, [&](int) { DrawGlyphs(cr, *drawn, glyphs, origins, 0.5236); });
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  return 0;
}
