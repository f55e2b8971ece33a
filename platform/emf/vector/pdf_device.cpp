#include "vector/pdf_device.h"

#include <cairo-ft.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "playback/cairo_handles.h"
#include "playback/raster_ops.h"
#include "playback/widen.h"

namespace velto::emf::vector {

using namespace playback;

namespace {

// Slant of a synthetic italic, as the raster glyphs lean: a quarter of the height.
constexpr double kObliqueShear = 0.25;
// Dashes so fine that a line would split into more pieces than this are drawn solid.
constexpr size_t kMaxDashPieces = 100000;

struct LibraryDeleter {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};

// Owned by cairo's font face through its user data: the FreeType face is given back when cairo lets
// go of the font face, which may be after the document (cairo caches fonts), so it keeps its library.
struct FaceHolder {
  std::shared_ptr<FT_LibraryRec_> library;
  FT_Face face = nullptr;
  ~FaceHolder() {
    if (face != nullptr) FT_Done_Face(face);
  }
};

const cairo_user_data_key_t kFaceHolderKey{};

void DestroyFaceHolder(void* holder) { std::unique_ptr<FaceHolder>(static_cast<FaceHolder*>(holder)); }

// An image copied into cairo's own memory: the PDF surface writes images out when the page ends.
CairoSurfacePtr CopyImage(const Image& image, std::optional<Rgb> transparentKey) {
  const bool alpha = image.hasAlpha || transparentKey.has_value();
  CairoSurfacePtr surface(
      cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, image.width, image.height));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(surface.get());
  unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  const uint32_t key = transparentKey ? (0xFF000000u | *transparentKey) : 0;
  for (int y = 0; y < image.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
    std::memcpy(row, &image.pixels[static_cast<size_t>(y) * image.width], static_cast<size_t>(image.width) * 4);
    if (transparentKey)
      for (int x = 0; x < image.width; ++x)
        if (row[x] == key) row[x] = 0;
  }
  cairo_surface_mark_dirty(surface.get());
  return surface;
}

// The "on" pieces of a dashed polyline, each an open figure; no value when the dashes are too fine.
std::optional<std::vector<Figure>> Dashed(const std::vector<PointD>& points, bool closed,
                                          const std::vector<double>& dashes) {
  double period = 0;
  for (double d : dashes) period += std::max(d, 0.0);
  if (!(period > 0) || points.empty()) return std::nullopt;
  std::vector<PointD> path = points;
  if (closed) path.push_back(points.front());
  std::vector<Figure> pieces;
  size_t dash = 0;
  double left = std::max(dashes[0], 0.0);  // of the current dash or gap
  bool on = true;
  Figure current{{path[0]}, false};
  for (size_t i = 1; i < path.size(); ++i) {
    const PointD a = path[i - 1], b = path[i];
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    if (!std::isfinite(length)) return std::nullopt;
    double done = 0;
    while (length - done >= left) {
      done += left;
      const double t = length > 0 ? done / length : 0;
      const PointD cut{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
      if (on) {
        current.points.push_back(cut);
        pieces.push_back(std::move(current));
        if (pieces.size() > kMaxDashPieces) return std::nullopt;
      }
      current = Figure{{cut}, false};
      on = !on;
      dash = (dash + 1) % dashes.size();
      left = std::max(dashes[dash], 0.0);
    }
    left -= length - done;
    if (on) current.points.push_back(b);
  }
  if (on && current.points.size() >= 2) pieces.push_back(std::move(current));
  return pieces;
}

struct FontOptionsDeleter {
  void operator()(cairo_font_options_t* o) const { cairo_font_options_destroy(o); }
};

}  // namespace

struct PdfFontFaces::Entry {
  cairo_font_face_t* face = nullptr;
  ~Entry() {
    if (face != nullptr) cairo_font_face_destroy(face);
  }
};

PdfFontFaces::PdfFontFaces() = default;
PdfFontFaces::~PdfFontFaces() = default;

cairo_font_face_t* PdfFontFaces::Face(const text::FaceSource& source) {
  const auto key = std::make_tuple(source.path, source.index, source.syntheticBold);
  if (auto it = faces_.find(key); it != faces_.end()) return it->second ? it->second->face : nullptr;
  auto& slot = faces_[key];
  if (!library_) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return nullptr;
    library_.reset(library, LibraryDeleter{});
  }
  auto holder = std::make_unique<FaceHolder>();
  holder->library = library_;
  if (FT_New_Face(library_.get(), source.path.c_str(), source.index, &holder->face) != 0) {
    holder->face = nullptr;
    return nullptr;
  }
  cairo_font_face_t* face = cairo_ft_font_face_create_for_ft_face(holder->face, 0);
  if (cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS ||
      cairo_font_face_set_user_data(face, &kFaceHolderKey, holder.get(), DestroyFaceHolder) != CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(face);
    return nullptr;
  }
  holder.release();  // cairo owns it now, through DestroyFaceHolder
  if (source.syntheticBold) cairo_ft_font_face_set_synthesize(face, CAIRO_FT_SYNTHESIZE_BOLD);
  slot = std::make_unique<Entry>();
  slot->face = face;
  return face;
}

PdfDevice::PdfDevice(cairo_t* cr, int width, int height, PdfFontFaces& fonts)
    : cr_(cr), width_(width), height_(height), fonts_(fonts) {
  cairo_save(cr_);
  // Outlines as the font draws them, unhinted: the positions come from the layout above.
  std::unique_ptr<cairo_font_options_t, FontOptionsDeleter> options(cairo_font_options_create());
  cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr_, options.get());
}

PdfDevice::~PdfDevice() { cairo_restore(cr_); }

void PdfDevice::SetClip(const std::optional<Region>& clip) {
  std::optional<Region> onPage;
  if (clip) onPage = Region::Combine(*clip, Region::FromRect(0, 0, width_, height_), RegionOp::And);
  if (onPage == clip_) return;
  clip_ = std::move(onPage);
  cairo_reset_clip(cr_);
  if (!clip_) return;
  cairo_new_path(cr_);
  for (const auto& band : clip_->Bands())
    for (size_t i = 0; i < band.xs.size(); i += 2)
      cairo_rectangle(cr_, band.xs[i], band.y0, band.xs[i + 1] - band.xs[i], band.y1 - band.y0);
  cairo_clip(cr_);
}

Region PdfDevice::ClipRegionOrSurface() const {
  Region page = Region::FromRect(0, 0, width_, height_);
  return clip_ ? Region::Combine(*clip_, page, RegionOp::And) : page;
}

RectL PdfDevice::ClipBounds() const {
  RectL page{0, 0, width_, height_};
  return clip_ ? Intersect(page, clip_->Bounds()) : page;
}

bool PdfDevice::SetSource(const FillSource& source, uint32_t rop2) {
  // Without the pixels below, only the operations that ignore them can be drawn; the ones that mix
  // with them are drawn as copies, which on white paper is what most of them show.
  constexpr uint32_t kR2Black = 1, kR2Not = 6, kR2Nop = 11, kR2White = 16;
  if (rop2 == kR2Nop || rop2 == kR2Not) return false;
  if (rop2 == kR2Black || rop2 == kR2White || source.solid || !source.tile) {
    const Rgb colour = rop2 == kR2Black ? kBlack : rop2 == kR2White ? kWhite : source.colour;
    cairo_set_source_rgb(cr_, RedOf(colour) / 255.0, GreenOf(colour) / 255.0, BlueOf(colour) / 255.0);
    return true;
  }
  CairoSurfacePtr tile = CopyImage(*source.tile, std::nullopt);
  if (!tile) return false;
  CairoPatternPtr pattern(cairo_pattern_create_for_surface(tile.get()));
  cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_NEAREST);
  cairo_matrix_t m;
  cairo_matrix_init_translate(&m, -source.origin.x, -source.origin.y);
  cairo_pattern_set_matrix(pattern.get(), &m);
  cairo_set_source(cr_, pattern.get());
  return true;
}

void PdfDevice::AddPolygons(const std::vector<std::vector<PointD>>& polygons) {
  cairo_new_path(cr_);
  for (const auto& poly : polygons) {
    if (poly.empty()) continue;
    cairo_move_to(cr_, ClampCoordinate(poly[0].x), ClampCoordinate(poly[0].y));
    for (size_t i = 1; i < poly.size(); ++i) cairo_line_to(cr_, ClampCoordinate(poly[i].x), ClampCoordinate(poly[i].y));
    cairo_close_path(cr_);
  }
}

void PdfDevice::FillPolygons(const std::vector<std::vector<PointD>>& polygons, bool winding, const FillSource& source,
                             uint32_t rop2) {
  if (polygons.empty()) return;
  cairo_save(cr_);
  if (SetSource(source, rop2)) {
    AddPolygons(polygons);
    cairo_set_fill_rule(cr_, winding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(cr_);
  }
  cairo_restore(cr_);
}

void PdfDevice::FillRegion(const Region& region, const FillSource& source, uint32_t rop2) {
  cairo_save(cr_);
  if (SetSource(source, rop2)) {
    cairo_new_path(cr_);
    for (const auto& band : region.Bands())
      for (size_t i = 0; i < band.xs.size(); i += 2)
        cairo_rectangle(cr_, band.xs[i], band.y0, band.xs[i + 1] - band.xs[i], band.y1 - band.y0);
    cairo_fill(cr_);
  }
  cairo_restore(cr_);
}

void PdfDevice::StrokeCosmetic(const std::vector<PointI>& points, bool closed, const CosmeticStroke& stroke,
                               int& phase) {
  if (points.size() < 2) return;
  double length = 0;
  for (size_t i = 1; i < points.size(); ++i)
    length += std::max(std::abs(points[i].x - points[i - 1].x), std::abs(points[i].y - points[i - 1].y));
  cairo_save(cr_);
  cairo_new_path(cr_);
  // One pixel wide through the pixel centres.
  cairo_move_to(cr_, points[0].x + 0.5, points[0].y + 0.5);
  for (size_t i = 1; i < points.size(); ++i) cairo_line_to(cr_, points[i].x + 0.5, points[i].y + 0.5);
  if (closed) cairo_close_path(cr_);
  cairo_set_line_width(cr_, 1);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
  std::vector<double> dashes;
  if (stroke.alternate) dashes = {1, 1};
  for (int d : stroke.dashes) dashes.push_back(std::max(d, 0));
  double total = 0;
  for (double d : dashes) total += d;
  if (total > 0 && stroke.opaqueGaps && SetSource(SolidSource(stroke.bkColour), stroke.rop2)) cairo_stroke_preserve(cr_);
  if (total > 0) cairo_set_dash(cr_, dashes.data(), static_cast<int>(dashes.size()), std::fmod(phase, total));
  if (SetSource(SolidSource(stroke.colour), stroke.rop2)) cairo_stroke(cr_);
  cairo_restore(cr_);
  phase = static_cast<int>(std::fmod(phase + length, double(1 << 30)));
}

void PdfDevice::StrokeGeometric(const std::vector<Figure>& figures, const GeometricStroke& stroke,
                                const FillSource& source) {
  WidenPen pen;
  pen.width = std::max(1, stroke.style.width);
  pen.cap = stroke.style.cap;
  pen.join = stroke.style.join;
  pen.miterLimit = stroke.style.miterLimit;
  // Whole device points, as the raster pen takes them.
  std::vector<Figure> pieces;
  for (const auto& f : figures) {
    Figure rounded{{}, f.closed};
    for (const auto& p : f.points)
      rounded.points.push_back({std::floor(ClampCoordinate(p.x) + 0.5), std::floor(ClampCoordinate(p.y) + 0.5)});
    std::optional<std::vector<Figure>> dashed;
    if (!stroke.style.dashes.empty()) dashed = Dashed(rounded.points, rounded.closed, stroke.style.dashes);
    if (dashed) {
      for (auto& piece : *dashed) pieces.push_back(std::move(piece));
    } else {
      pieces.push_back(std::move(rounded));
    }
  }
  std::vector<std::vector<PointD>> outline;
  for (auto& f : WidenFigures(pieces, pen)) outline.push_back(std::move(f.points));
  FillPolygons(outline, true, source, stroke.rop2);
}

void PdfDevice::DrawGlyphs(const GlyphRun& run) {
  if (!run.font || run.glyphs.empty()) return;
  const size_t count = std::min(run.glyphs.size(), run.origins.size());
  // Characters go with glyphs one for one when every code point became one glyph.
  std::vector<std::string> utf8;
  for (size_t i = 0; i < run.chars.size(); ++i) {
    uint32_t cp = run.chars[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < run.chars.size() && run.chars[i + 1] >= 0xDC00 &&
        run.chars[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (run.chars[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    std::string bytes;
    if (cp < 0x80) {
      bytes += static_cast<char>(cp);
    } else if (cp < 0x800) {
      bytes += static_cast<char>(0xC0 | (cp >> 6));
      bytes += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      bytes += static_cast<char>(0xE0 | (cp >> 12));
      bytes += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      bytes += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      bytes += static_cast<char>(0xF0 | (cp >> 18));
      bytes += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      bytes += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      bytes += static_cast<char>(0x80 | (cp & 0x3F));
    }
    utf8.push_back(std::move(bytes));
  }
  const bool withText = utf8.size() == count;

  cairo_save(cr_);
  cairo_set_source_rgb(cr_, RedOf(run.colour) / 255.0, GreenOf(run.colour) / 255.0, BlueOf(run.colour) / 255.0);
  // Runs of glyphs from one face (fallback faces give characters the primary face lacks).
  for (size_t start = 0; start < count;) {
    const int slot = run.glyphs[start].faceSlot;
    size_t end = start + 1;
    while (end < count && run.glyphs[end].faceSlot == slot) ++end;
    const auto source = run.font->FaceOf(slot);
    cairo_font_face_t* face = source && source->emPixels > 0 ? fonts_.Face(*source) : nullptr;
    if (face != nullptr) {
      text::GlyphMatrix g = run.matrix.IsFinite() ? run.matrix : text::GlyphMatrix{};
      if (source->syntheticItalic) {
        g.xy += g.xx * kObliqueShear;
        g.yy += g.yx * kObliqueShear;
      }
      // Font space (one em, y down) onto the page: the glyph matrix takes glyph pixels, y up.
      const double em = source->emPixels, emX = em * source->xScale;
      cairo_matrix_t m;
      cairo_matrix_init(&m, g.xx * emX, g.yx * emX, -g.xy * em, -g.yy * em, 0, 0);
      cairo_set_font_face(cr_, face);
      cairo_set_font_matrix(cr_, &m);
      std::vector<cairo_glyph_t> glyphs;
      std::string chars;
      std::vector<cairo_text_cluster_t> clusters;
      for (size_t i = start; i < end; ++i) {
        const auto& o = run.origins[i];
        if (!std::isfinite(o.x) || !std::isfinite(o.y)) continue;
        glyphs.push_back({run.glyphs[i].index, ClampCoordinate(o.x), ClampCoordinate(o.y)});
        if (withText) {
          chars += utf8[i];
          clusters.push_back({static_cast<int>(utf8[i].size()), 1});
        }
      }
      if (!glyphs.empty()) {
        if (withText) {
          cairo_show_text_glyphs(cr_, chars.data(), static_cast<int>(chars.size()), glyphs.data(),
                                 static_cast<int>(glyphs.size()), clusters.data(), static_cast<int>(clusters.size()),
                                 cairo_text_cluster_flags_t(0));
        } else {
          cairo_show_glyphs(cr_, glyphs.data(), static_cast<int>(glyphs.size()));
        }
      }
    }
    start = end;
  }
  cairo_restore(cr_);
}

void PdfDevice::DrawImage(const Image& image, const Xform& imageToDevice, const std::vector<PointD>& destination,
                          uint32_t rop3, const FillSource* pattern, bool smooth, std::optional<Rgb> transparentKey,
                          bool blend, double constantAlpha) {
  const uint8_t table = Rop3Table(rop3);
  if (destination.size() < 3) return;
  const std::vector<std::vector<PointD>> area{destination};
  if (!Rop3UsesSource(table)) {
    if (table == 0x00) FillPolygons(area, true, SolidSource(kBlack), kR2CopyPenCode);
    else if (table == 0xFF) FillPolygons(area, true, SolidSource(kWhite), kR2CopyPenCode);
    else if (table == 0xF0 && pattern) FillPolygons(area, true, *pattern, kR2CopyPenCode);
    return;  // operations that only change what is below cannot be drawn here
  }
  // Copies, and the operations that mix the source into white paper as a copy would show it.
  if (!blend && table != 0xCC && table != 0x88 && table != 0xEE && table != 0xC0) return;
  Xform deviceToImage;
  if (image.width <= 0 || image.height <= 0 || !Invert(imageToDevice, deviceToImage)) return;
  CairoSurfacePtr copy = CopyImage(image, transparentKey);
  if (!copy) return;
  CairoPatternPtr source(cairo_pattern_create_for_surface(copy.get()));
  // No padding: the PDF surface would have to render a padded image to pixels. The destination lies on
  // the image anyway.
  cairo_pattern_set_extend(source.get(), CAIRO_EXTEND_NONE);
  cairo_pattern_set_filter(source.get(), smooth ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
  cairo_matrix_t m;
  cairo_matrix_init(&m, deviceToImage.m11, deviceToImage.m12, deviceToImage.m21, deviceToImage.m22,
                    deviceToImage.dx, deviceToImage.dy);
  cairo_pattern_set_matrix(source.get(), &m);
  cairo_save(cr_);
  AddPolygons(area);
  cairo_clip(cr_);
  cairo_set_source(cr_, source.get());
  cairo_paint_with_alpha(cr_, blend ? std::clamp(constantAlpha, 0.0, 1.0) : 1.0);
  cairo_restore(cr_);
}

void PdfDevice::FillGradientRect(double x0, double y0, double x1, double y1, bool vertical,
                                 const GradientColour& first, const GradientColour& second) {
  CairoPatternPtr pattern(vertical ? cairo_pattern_create_linear(0, y0, 0, y1) : cairo_pattern_create_linear(x0, 0, x1, 0));
  cairo_pattern_add_color_stop_rgb(pattern.get(), 0, std::min(first.r, 1.0), std::min(first.g, 1.0),
                                   std::min(first.b, 1.0));
  cairo_pattern_add_color_stop_rgb(pattern.get(), 1, std::min(second.r, 1.0), std::min(second.g, 1.0),
                                   std::min(second.b, 1.0));
  cairo_save(cr_);
  cairo_new_path(cr_);
  cairo_rectangle(cr_, x0, y0, x1 - x0, y1 - y0);
  cairo_set_source(cr_, pattern.get());
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void PdfDevice::SetPixel(int x, int y, Rgb colour) {
  FillPolygons({{{double(x), double(y)}, {x + 1.0, double(y)}, {x + 1.0, y + 1.0}, {double(x), y + 1.0}}}, true,
               SolidSource(colour), kR2CopyPenCode);
}

}  // namespace velto::emf::vector
