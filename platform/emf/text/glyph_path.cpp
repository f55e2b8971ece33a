#include "text/glyph_path.h"

#include <cairo.h>

#include <memory>

#include "text/glyph_raster.h"

namespace velto::emf::text {
namespace {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
struct PathDeleter {
  void operator()(cairo_path_t* p) const { cairo_path_destroy(p); }
};

}  // namespace

void FlattenGlyphOutlines(const RealisedFont& font, std::span<const Glyph> glyphs,
                          std::span<const GlyphOrigin> origins, const GlyphMatrix& matrix, OutlineSink& sink) {
  // cairo's flattener (tolerance 0.1) on a scratch context.
  std::unique_ptr<cairo_surface_t, SurfaceDeleter> scratch(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1));
  std::unique_ptr<cairo_t, ContextDeleter> cr(cairo_create(scratch.get()));
  AppendGlyphOutlines(cr.get(), font, glyphs, origins, matrix);
  std::unique_ptr<cairo_path_t, PathDeleter> flat(cairo_copy_path_flat(cr.get()));
  if (!flat || flat->status != CAIRO_STATUS_SUCCESS) return;
  for (int i = 0; i < flat->num_data; i += flat->data[i].header.length) {
    const cairo_path_data_t& d = flat->data[i];
    if (d.header.type == CAIRO_PATH_MOVE_TO) {
      sink.MoveTo(flat->data[i + 1].point.x, flat->data[i + 1].point.y);
    } else if (d.header.type == CAIRO_PATH_LINE_TO) {
      sink.LineTo(flat->data[i + 1].point.x, flat->data[i + 1].point.y);
    } else if (d.header.type == CAIRO_PATH_CLOSE_PATH) {
      sink.Close();
    }
  }
}

}  // namespace velto::emf::text
