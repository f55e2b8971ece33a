// Placeholder until the font layer lands: a font without glyphs. Replaced by the real font layer.
#include "platform/emf/text/font.h"

namespace velto::emf::text {
namespace {
class EmptyFont final : public RealisedFont {
 public:
  const FontMetrics& Metrics() const override { return metrics_; }
  std::string FamilyName() const override { return {}; }
  std::vector<Glyph> MapText(std::u16string_view) const override { return {}; }
  std::vector<Glyph> MapGlyphIndices(std::span<const uint16_t>) const override { return {}; }
  void Draw(cairo_t*, std::span<const Glyph>, std::span<const GlyphOrigin>, double) const override {}
  void AppendOutlines(cairo_t*, std::span<const Glyph>, std::span<const GlyphOrigin>, double) const override {}

 private:
  FontMetrics metrics_;
};
}  // namespace

std::shared_ptr<const RealisedFont> RealiseFont(const LogFont&, double, double) {
  return std::make_shared<EmptyFont>();
}
std::string SubstituteFamily(std::u16string_view, uint8_t) { return {}; }
}  // namespace velto::emf::text
