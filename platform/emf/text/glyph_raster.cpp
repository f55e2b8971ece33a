#include "text/glyph_raster.h"

#include "text/glyph_mask.h"

namespace velto::emf::text {
namespace {

class CairoGlyphSink final : public GlyphRasterSink {
 public:
  explicit CairoGlyphSink(cairo_t* cr) : cr_(cr), outlines_(cr) {}
  ~CairoGlyphSink() {
    if (saved_ != nullptr) cairo_path_destroy(saved_);
  }
  CairoGlyphSink(const CairoGlyphSink&) = delete;
  CairoGlyphSink& operator=(const CairoGlyphSink&) = delete;

  void Mask(const GlyphMask& mask, double x, double y) override {
    if (mask.mask) cairo_mask_surface(cr_, mask.mask.get(), x, y);
  }

  OutlineSink& BeginOutlines(bool antialiased) override {
    // The caller's path (if any) survives: keep it aside while the glyphs are filled.
    if (saved_ != nullptr) cairo_path_destroy(saved_);
    saved_ = cairo_copy_path(cr_);
    cairo_save(cr_);
    cairo_new_path(cr_);
    cairo_set_antialias(cr_, antialiased ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
    return outlines_;
  }

  void EndOutlines() override {
    cairo_fill(cr_);
    cairo_restore(cr_);
    if (saved_ != nullptr) {
      if (saved_->status == CAIRO_STATUS_SUCCESS) cairo_append_path(cr_, saved_);
      cairo_path_destroy(saved_);
      saved_ = nullptr;
    }
  }

 private:
  cairo_t* cr_;
  CairoOutlineSink outlines_;
  cairo_path_t* saved_ = nullptr;
};

}  // namespace

void DrawGlyphs(cairo_t* cr, const RealisedFont& font, std::span<const Glyph> glyphs,
                std::span<const GlyphOrigin> origins, const GlyphMatrix& matrix) {
  if (cr == nullptr) return;
  CairoGlyphSink sink(cr);
  font.Rasterise(glyphs, origins, matrix, sink);
}

void AppendGlyphOutlines(cairo_t* cr, const RealisedFont& font, std::span<const Glyph> glyphs,
                         std::span<const GlyphOrigin> origins, const GlyphMatrix& matrix) {
  if (cr == nullptr) return;
  CairoOutlineSink sink(cr);
  font.Outlines(glyphs, origins, matrix, sink);
}

}  // namespace velto::emf::text
