// Bitmap records: the blit family, DIB stretching, gradients.
#include <cmath>
#include <utility>
#include <vector>

#include "metafile_recorder.h"
#include "playback/dib.h"
#include "playback/handlers.h"
#include "playback/raster_ops.h"

namespace velto::emf::playback {
namespace {

struct SourceRect {
  double x = 0, y = 0, cx = 0, cy = 0;
};

// The source run [first, end) behind each of `dst` pixels along one axis, for the stretch modes that
// pick pixels. GDI measured with 10 pixels stretched to 2, 4, 7, 9, 13, 17 and 23:
//  - shrinking, source pixel c belongs to destination pixel ceil((c + 1/2)·dst/src) − 1 (a centre on a
//    boundary goes to the pixel before); BLACKONWHITE and WHITEONBLACK combine the whole run, the
//    other modes keep one pixel of it: the last of a run of columns, the first of a run of rows;
//  - growing, destination pixel x shows source pixel ceil((x + 1/2)·src/dst) − 1.
enum class Keep { All, First, Last };

std::vector<std::pair<int, int>> AxisRuns(double start, double length, int dst, int limit, Keep keep) {
  std::vector<std::pair<int, int>> runs(static_cast<size_t>(dst), {0, 0});
  const int64_t src = SaturatingInt(std::floor(length));
  const int base = SaturatingInt(std::floor(start));
  if (src >= dst && src < (1 << 24)) {
    std::vector<bool> started(runs.size(), false);
    for (int64_t c = 0; c < src; ++c) {
      const int64_t twice = (2 * c + 1) * dst;  // 2·(c + 1/2)·dst
      const size_t i = static_cast<size_t>(std::clamp<int64_t>((twice - 1) / (2 * src), 0, dst - 1));
      const int at = static_cast<int>(std::clamp<int64_t>(base + c, INT32_MIN / 2, INT32_MAX / 2));
      if (keep == Keep::Last || !started[i]) runs[i].first = at;
      if (keep != Keep::First || !started[i]) runs[i].second = at + 1;
      started[i] = true;
    }
  } else if (src > 0) {
    for (int x = 0; x < dst; ++x) {
      const int64_t c = ((2 * int64_t{x} + 1) * src - 1) / (2 * int64_t{dst});
      const int at = static_cast<int>(std::clamp<int64_t>(base + c, INT32_MIN / 2, INT32_MAX / 2));
      runs[static_cast<size_t>(x)] = {at, at + 1};
    }
  }
  for (auto& [a, b] : runs) {
    a = std::clamp(a, 0, limit - 1);
    b = std::clamp(std::max(b, a + 1), 1, limit);
  }
  return runs;
}

// Pixels [x0, x1) × [y0, y1) of the source rectangle resampled to w × h as the pixel-picking stretch
// modes do; with `combine`, the pixels of a shrunk run are ANDed (keepDark) or ORed together, so thin
// lines survive. Only the window is built: a blit reaching far past the surface costs what shows.
Image Resampled(const Image& src, const SourceRect& s, int w, int h, const RectL& window, bool combine,
                bool keepDark) {
  Image out;
  out.width = window.right - window.left;
  out.height = window.bottom - window.top;
  out.pixels.assign(static_cast<size_t>(out.width) * out.height, 0);
  const auto rows = AxisRuns(s.y, s.cy, h, src.height, combine ? Keep::All : Keep::First);
  const auto columns = AxisRuns(s.x, s.cx, w, src.width, combine ? Keep::All : Keep::Last);
  for (int y = 0; y < out.height; ++y) {
    const auto [y0, y1] = rows[static_cast<size_t>(window.top + y)];
    for (int x = 0; x < out.width; ++x) {
      const auto [x0, x1] = columns[static_cast<size_t>(window.left + x)];
      uint32_t acc = keepDark ? 0xFFFFFFFFu : 0xFF000000u;
      bool opaque = false;
      for (int yy = y0; yy < y1; ++yy)
        for (int xx = x0; xx < x1; ++xx) {
          uint32_t p = src.At(xx, yy);
          if ((p >> 24) == 0) continue;  // masked-out pixels take no part
          opaque = true;
          acc = keepDark ? (acc & p) : (acc | p);
        }
      // A block of masked-out pixels stays transparent, so a masked blit leaves the page under it alone.
      out.pixels[static_cast<size_t>(y) * out.width + x] = opaque ? (acc | 0xFF000000u) : 0;
    }
  }
  return out;
}

// Cuts the source rectangle to the bitmap, and the destination with it: GDI draws nothing for the part
// of a source rectangle that lies outside its bitmap. False when nothing is left.
bool ClipToImage(const Image& image, SourceRect& s, PointD& d0, PointD& d1, PointD& d2) {
  auto cut = [](double start, double extent, double limit, double& a, double& b) {
    // [a, b) in the direction of `extent`, inside [0, limit].
    if (extent > 0) {
      a = std::max(start, 0.0), b = std::min(start + extent, limit);
      return a < b;
    }
    a = std::min(start, limit), b = std::max(start + extent, 0.0);
    return b < a;
  };
  double x0, x1, y0, y1;
  if (!cut(s.x, s.cx, image.width, x0, x1) || !cut(s.y, s.cy, image.height, y0, y1)) return false;
  if (x0 == s.x && x1 == s.x + s.cx && y0 == s.y && y1 == s.y + s.cy) return true;
  const PointD o = d0, ux{(d1.x - d0.x) / s.cx, (d1.y - d0.y) / s.cx}, uy{(d2.x - d0.x) / s.cy, (d2.y - d0.y) / s.cy};
  auto at = [&](double u, double v) {
    return PointD{o.x + (u - s.x) * ux.x + (v - s.y) * uy.x, o.y + (u - s.x) * ux.y + (v - s.y) * uy.y};
  };
  d0 = at(x0, y0);
  d1 = at(x1, y0);
  d2 = at(x0, y1);
  s = SourceRect{x0, y0, x1 - x0, y1 - y0};
  return true;
}

// Draws `image` (or only the pattern, when null) from the source rectangle into the parallelogram with
// corners d0 (source top-left), d1 (top-right), d2 (bottom-left), device pixels.
void Blit(Context& c, const Image* image, SourceRect s, PointD d0, PointD d1, PointD d2, uint32_t rop,
          std::optional<Rgb> key = std::nullopt, bool blend = false, double alpha = 1) {
  uint8_t table = Rop3Table(rop);
  std::vector<PointD> dest{d0, d1, {d1.x + d2.x - d0.x, d1.y + d2.y - d0.y}, d2};
  FillSource pattern = c.BrushSource();
  bool usesSource = Rop3UsesSource(table);
  if (!image) {
    if (usesSource) return;  // the operation needs a bitmap the record does not carry
    Image none;
    c.device.DrawImage(none, Xform{}, dest, rop, Rop3UsesPattern(table) ? &pattern : nullptr, false);
    return;
  }
  if (s.cx == 0 || s.cy == 0) return;
  if (!ClipToImage(*image, s, d0, d1, d2)) return;
  dest = {d0, d1, {d1.x + d2.x - d0.x, d1.y + d2.y - d0.y}, d2};
  Image shrunk;
  auto whole = [](PointD p) { return p.x == std::floor(p.x) && p.y == std::floor(p.y); };
  bool axisAligned = d0.y == d1.y && d0.x == d2.x;
  double dw = std::fabs(d1.x - d0.x), dh = std::fabs(d2.y - d0.y);
  uint32_t mode = c.dc.stretchMode;
  const bool combine = mode == kBlackOnWhite || mode == kWhiteOnBlack;
  const bool scaled = dw != std::fabs(s.cx) || dh != std::fabs(s.cy);
  // The part of the destination that can show, in device pixels.
  const RectL shown = Intersect(RectL{SaturatingInt(std::min(d0.x, d1.x)), SaturatingInt(std::min(d0.y, d2.y)),
                                      SaturatingInt(std::max(d0.x, d1.x)), SaturatingInt(std::max(d0.y, d2.y))},
                                c.device.ClipBounds());
  if (c.device.Caps().pixelStretch && mode != kHalftone && axisAligned && whole(d0) && whole(d1) && whole(d2) && dw >= 1 && dh >= 1 &&
      dw < (1 << 24) && dh < (1 << 24) && scaled && !key && !blend && !IsEmpty(shown) &&
      double(shown.right - shown.left) * (shown.bottom - shown.top) < 16e6) {
    // Resample as GDI picks (or combines) pixels, then draw one to one.
    int w = static_cast<int>(dw), h = static_cast<int>(dh);
    SourceRect norm = s;
    if (norm.cx < 0) norm.x += norm.cx, norm.cx = -norm.cx;
    if (norm.cy < 0) norm.y += norm.cy, norm.cy = -norm.cy;
    // Resampled pixel u of the whole destination lies at device column left + u, or right − 1 − u when
    // the blit runs the source backwards.
    const bool flipX = (d1.x - d0.x) * s.cx < 0, flipY = (d2.y - d0.y) * s.cy < 0;
    const int left = static_cast<int>(std::min(d0.x, d1.x)), top = static_cast<int>(std::min(d0.y, d2.y));
    RectL window{flipX ? left + w - shown.right : shown.left - left, flipY ? top + h - shown.bottom : shown.top - top,
                 flipX ? left + w - shown.left : shown.right - left, flipY ? top + h - shown.top : shown.bottom - top};
    shrunk = Resampled(*image, norm, w, h, window, combine, mode == kBlackOnWhite);
    // Mirrored sources keep their direction through the corners; the window sits where it belongs.
    double sx0 = (s.cx < 0 ? w : 0) - window.left, sy0 = (s.cy < 0 ? h : 0) - window.top;
    s = SourceRect{sx0, sy0, s.cx < 0 ? -double(w) : w, s.cy < 0 ? -double(h) : h};
    image = &shrunk;
  }
  Xform toDevice;
  toDevice.m11 = (d1.x - d0.x) / s.cx;
  toDevice.m12 = (d1.y - d0.y) / s.cx;
  toDevice.m21 = (d2.x - d0.x) / s.cy;
  toDevice.m22 = (d2.y - d0.y) / s.cy;
  toDevice.dx = d0.x - s.x * toDevice.m11 - s.y * toDevice.m21;
  toDevice.dy = d0.y - s.x * toDevice.m12 - s.y * toDevice.m22;
  c.device.DrawImage(*image, toDevice, dest, rop, Rop3UsesPattern(table) ? &pattern : nullptr,
                     mode == kHalftone, key, blend, alpha);
}

// Destination corners of a logical rectangle.
void DestCorners(const Context& c, double x, double y, double cx, double cy, PointD& d0, PointD& d1, PointD& d2) {
  d0 = c.ToDevice(x, y);
  d1 = c.ToDevice(x + cx, y);
  d2 = c.ToDevice(x, y + cy);
}

Xform ReadXform(const Record& r, size_t offset) {
  return Xform{F32At(r, offset), F32At(r, offset + 4), F32At(r, offset + 8), F32At(r, offset + 12),
               F32At(r, offset + 16), F32At(r, offset + 20)};
}

// The source rectangle of a blit in the stored bitmap's pixels, through the source transform.
SourceRect BlitSource(const Record& r, double xSrc, double ySrc, double cxSrc, double cySrc,
                      size_t xformAt) {
  Xform xf = ReadXform(r, xformAt);
  if (!xf.IsFinite() || xf.Determinant() == 0) xf = Xform{};
  PointD p = xf.Apply(xSrc, ySrc);
  PointD v = xf.ApplyVector(cxSrc, cySrc);
  return SourceRect{p.x, p.y, v.x, v.y};
}

// The mask bitmap of MASKBLT and PLGBLT at `maskAt` (xMask, yMask, iUsageMask, then its DIB), when the
// record has one. Its colour table, when there is one, says which values are white (1); GDI records the
// mask without one and with DIB_PAL_INDICES, its bits being the values themselves.
struct Mask {
  int32_t x = 0, y = 0;
  Image bits;
};

std::optional<Mask> ReadMask(const Record& r, size_t maskAt) {
  DibLocation where{U32At(r, maskAt + 12), U32At(r, maskAt + 16), U32At(r, maskAt + 20), U32At(r, maskAt + 24)};
  if (where.cbBmi == 0) return std::nullopt;
  auto bits = DecodeDibWithUsage(r.Reader(), where, U32At(r, maskAt + 8));
  if (!bits) return std::nullopt;
  return Mask{I32At(r, maskAt), I32At(r, maskAt + 4), std::move(*bits)};
}

// Pixels under 0 bits of the mask (or, with `keepZeros`, under 1 bits) become transparent. The mask lines
// up with the source rectangle; pixels beyond the mask count as 0.
void ApplyMask(const Mask& mask, Image& image, const SourceRect& s, bool keepZeros = false) {
  const int32_t xMask = mask.x, yMask = mask.y;
  const Image* m = &mask.bits;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const int64_t mx = int64_t{SaturatingInt(x - s.x)} + xMask, my = int64_t{SaturatingInt(y - s.y)} + yMask;
      bool on = mx >= 0 && my >= 0 && mx < m->width && my < m->height &&
                (m->At(static_cast<int>(mx), static_cast<int>(my)) & 0xFFFFFF) != 0;
      if (on == keepZeros) image.pixels[static_cast<size_t>(y) * image.width + x] = 0;
    }
}

bool BitBltFamily(Context& c, const Record& r, bool stretch) {
  if (!Fits(r, stretch ? 108 : 100)) return false;
  double x = I32At(r, 24), y = I32At(r, 28), cx = I32At(r, 32), cy = I32At(r, 36);
  uint32_t rop = U32At(r, 40);
  DibLocation where{U32At(r, 84), U32At(r, 88), U32At(r, 92), U32At(r, 96)};
  PointD d0, d1, d2;
  DestCorners(c, x, y, cx, cy, d0, d1, d2);
  std::optional<Image> image;
  if (where.cbBmi != 0) image = DecodeDibWithUsage(r.Reader(), where, U32At(r, 80));
  if (!image) {
    Blit(c, nullptr, {}, d0, d1, d2, rop);
    return true;
  }
  double cxSrc = stretch ? I32At(r, 100) : cx, cySrc = stretch ? I32At(r, 104) : cy;
  SourceRect s = BlitSource(r, I32At(r, 44), I32At(r, 48), cxSrc, cySrc, 52);
  Blit(c, &*image, s, d0, d1, d2, rop);
  return true;
}

bool BitBlt(Context& c, const Record& r) { return BitBltFamily(c, r, false); }
bool StretchBlt(Context& c, const Record& r) { return BitBltFamily(c, r, true); }

bool StretchDIBits(Context& c, const Record& r) {
  if (!Fits(r, 80)) return false;
  double x = I32At(r, 24), y = I32At(r, 28);
  double xSrc = I32At(r, 32), ySrc = I32At(r, 36), cxSrc = I32At(r, 40), cySrc = I32At(r, 44);
  DibLocation where{U32At(r, 48), U32At(r, 52), U32At(r, 56), U32At(r, 60)};
  uint32_t usage = U32At(r, 64), rop = U32At(r, 68);
  double cx = I32At(r, 72), cy = I32At(r, 76);
  PointD d0, d1, d2;
  DestCorners(c, x, y, cx, cy, d0, d1, d2);
  std::optional<Image> image;
  if (where.cbBmi != 0) image = DecodeDibWithUsage(r.Reader(), where, usage);
  if (!image) {
    if (!Rop3UsesSource(Rop3Table(rop))) Blit(c, nullptr, {}, d0, d1, d2, rop);
    return true;
  }
  // The source's y counts from the bottom row of a bottom-up bitmap.
  double top = image->bottomUp ? image->height - ySrc - cySrc : ySrc;
  Blit(c, &*image, SourceRect{xSrc, top, cxSrc, cySrc}, d0, d1, d2, rop);
  return true;
}

bool SetDIBitsToDevice(Context& c, const Record& r) {
  if (!Fits(r, 76)) return false;
  double x = I32At(r, 24), y = I32At(r, 28);
  double xSrc = I32At(r, 32), ySrc = I32At(r, 36), cxSrc = I32At(r, 40), cySrc = I32At(r, 44);
  DibLocation where{U32At(r, 48), U32At(r, 52), U32At(r, 56), U32At(r, 60)};
  auto image = DecodeDibWithUsage(r.Reader(), where, U32At(r, 64));
  if (!image) return true;
  PointD d0, d1, d2;
  DestCorners(c, x, y, cxSrc, cySrc, d0, d1, d2);
  double top = image->bottomUp ? image->height - ySrc - cySrc : ySrc;
  if (top < 0 || top + cySrc > image->height) top = 0;
  Blit(c, &*image, SourceRect{xSrc, top, cxSrc, cySrc}, d0, d1, d2, kSrcCopy);
  return true;
}

bool MaskBlt(Context& c, const Record& r) {
  if (!Fits(r, 128)) return false;
  double x = I32At(r, 24), y = I32At(r, 28), cx = I32At(r, 32), cy = I32At(r, 36);
  uint32_t rop = U32At(r, 40);
  DibLocation where{U32At(r, 84), U32At(r, 88), U32At(r, 92), U32At(r, 96)};
  PointD d0, d1, d2;
  DestCorners(c, x, y, cx, cy, d0, d1, d2);
  std::optional<Image> image;
  if (where.cbBmi != 0) image = DecodeDibWithUsage(r.Reader(), where, U32At(r, 80));
  uint32_t foreground = rop & 0x00FFFFFF;
  if (!image) {
    Blit(c, nullptr, {}, d0, d1, d2, foreground);
    return true;
  }
  SourceRect s = BlitSource(r, I32At(r, 44), I32At(r, 48), cx, cy, 52);
  // Without a mask MASKBLT is BITBLT with the foreground operation.
  auto mask = ReadMask(r, 100);
  if (!mask) {
    Blit(c, &*image, s, d0, d1, d2, foreground);
    return true;
  }
  // Mask bits of 1 take the foreground operation, bits of 0 the background one (MAKEROP4); each pixel
  // takes exactly one of them.
  uint32_t background = ((rop >> 8) & 0x00FF0000) | (foreground & 0xFFFF);
  Image back = *image;
  ApplyMask(*mask, back, s, true);
  ApplyMask(*mask, *image, s);
  if (Rop3Table(background) != 0xAA) Blit(c, &back, s, d0, d1, d2, background);
  Blit(c, &*image, s, d0, d1, d2, foreground);
  return true;
}

bool PlgBlt(Context& c, const Record& r) {
  if (!Fits(r, 140)) return false;
  PointD d0 = c.ToDevice(I32At(r, 24), I32At(r, 28));
  PointD d1 = c.ToDevice(I32At(r, 32), I32At(r, 36));
  PointD d2 = c.ToDevice(I32At(r, 40), I32At(r, 44));
  DibLocation where{U32At(r, 96), U32At(r, 100), U32At(r, 104), U32At(r, 108)};
  auto image = DecodeDibWithUsage(r.Reader(), where, U32At(r, 92));
  if (!image) return true;
  SourceRect s = BlitSource(r, I32At(r, 48), I32At(r, 52), I32At(r, 56), I32At(r, 60), 64);
  // The mask masks the source's colour bits: where it is 0 the parallelogram turns black, as MASKBLT
  // draws with SRCCOPY alone (whose background operation is BLACKNESS).
  if (auto mask = ReadMask(r, 112)) {
    Image back = *image;
    ApplyMask(*mask, back, s, true);
    ApplyMask(*mask, *image, s);
    Blit(c, &back, s, d0, d1, d2, kBlackness);
  }
  Blit(c, &*image, s, d0, d1, d2, kSrcCopy);
  return true;
}

bool TransparentBlt(Context& c, const Record& r) {
  if (!Fits(r, 108)) return false;
  double x = I32At(r, 24), y = I32At(r, 28), cx = I32At(r, 32), cy = I32At(r, 36);
  Rgb key = RgbOfColorRef(U32At(r, 40));
  DibLocation where{U32At(r, 84), U32At(r, 88), U32At(r, 92), U32At(r, 96)};
  auto image = DecodeDibWithUsage(r.Reader(), where, U32At(r, 80));
  if (!image) return true;
  PointD d0, d1, d2;
  DestCorners(c, x, y, cx, cy, d0, d1, d2);
  SourceRect s = BlitSource(r, I32At(r, 44), I32At(r, 48), I32At(r, 100), I32At(r, 104), 52);
  Blit(c, &*image, s, d0, d1, d2, kSrcCopy, key);
  return true;
}

bool AlphaBlend(Context& c, const Record& r) {
  if (!Fits(r, 108)) return false;
  double x = I32At(r, 24), y = I32At(r, 28), cx = I32At(r, 32), cy = I32At(r, 36);
  uint32_t blend = U32At(r, 40);
  double constant = ((blend >> 16) & 0xFF) / 255.0;
  bool sourceAlpha = ((blend >> 24) & 0xFF) == 1;  // AC_SRC_ALPHA
  DibLocation where{U32At(r, 84), U32At(r, 88), U32At(r, 92), U32At(r, 96)};
  auto image = DecodeDibWithUsage(r.Reader(), where, U32At(r, 80), sourceAlpha);
  if (!image) return true;
  PointD d0, d1, d2;
  DestCorners(c, x, y, cx, cy, d0, d1, d2);
  SourceRect s = BlitSource(r, I32At(r, 44), I32At(r, 48), I32At(r, 100), I32At(r, 104), 52);
  Blit(c, &*image, s, d0, d1, d2, kSrcCopy, std::nullopt, true, constant);
  return true;
}

bool GradientFill(Context& c, const Record& r) {
  if (!Fits(r, 36)) return false;
  uint32_t vertices = U32At(r, 24), count = U32At(r, 28), mode = U32At(r, 32);
  ByteReader rd = r.Reader();
  if (!rd.Array(36, vertices, 16)) return false;
  size_t meshAt = 36 + size_t{vertices} * 16;
  size_t each = mode == 2 ? 12 : 8;
  if (!rd.Array(meshAt, count, each)) return false;
  struct Vertex {
    PointD p;
    double r, g, b;
  };
  std::vector<Vertex> v;
  for (uint32_t i = 0; i < vertices; ++i) {
    size_t at = 36 + size_t{i} * 16;
    v.push_back({c.ToDevice(I32At(r, at), I32At(r, at + 4)), rd.U16(at + 8).value_or(0) / 65280.0,
                 rd.U16(at + 10).value_or(0) / 65280.0, rd.U16(at + 12).value_or(0) / 65280.0});
  }
  for (uint32_t i = 0; i < count; ++i) {
    if (c.TimeUp()) break;  // a record may hold a great many pieces
    size_t at = meshAt + i * each;
    uint32_t a = U32At(r, at), b = U32At(r, at + 4);
    if (a >= vertices || b >= vertices) continue;
    if (mode == 2) {
      uint32_t d = U32At(r, at + 8);
      if (d >= vertices) continue;
      // Colours by barycentric weights, worked out only over the part of the triangle on the surface:
      // a triangle millions of pixels across costs no more than the surface itself.
      PointD p[3] = {v[a].p, v[b].p, v[d].p};
      for (PointD& q : p) q = {ClampCoordinate(q.x), ClampCoordinate(q.y)};
      const Vertex* corner[3] = {&v[a], &v[b], &v[d]};
      double area = (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
      if (!(std::fabs(area) > 1e-9)) continue;
      int left = std::max(0, SaturatingInt(std::floor(std::min({p[0].x, p[1].x, p[2].x}))));
      int top = std::max(0, SaturatingInt(std::floor(std::min({p[0].y, p[1].y, p[2].y}))));
      int right = std::min(c.device.Width(), SaturatingInt(std::ceil(std::max({p[0].x, p[1].x, p[2].x}))) + 1);
      int bottom = std::min(c.device.Height(), SaturatingInt(std::ceil(std::max({p[0].y, p[1].y, p[2].y}))) + 1);
      if (left >= right || top >= bottom) continue;
      Image piece;
      piece.width = right - left;
      piece.height = bottom - top;
      piece.pixels.resize(static_cast<size_t>(piece.width) * piece.height);
      for (int y = 0; y < piece.height; ++y) {
        for (int x = 0; x < piece.width; ++x) {
          const double px = left + x + 0.5, py = top + y + 0.5;
          double w[3];
          for (int k = 0; k < 3; ++k) {
            const PointD& q1 = p[(k + 1) % 3];
            const PointD& q2 = p[(k + 2) % 3];
            w[k] = std::clamp(((q1.x - px) * (q2.y - py) - (q2.x - px) * (q1.y - py)) / area, 0.0, 1.0);
          }
          const double sum = w[0] + w[1] + w[2];
          auto channel = [&](double Vertex::*field) {
            double value = 0;
            for (int k = 0; k < 3; ++k) value += w[k] * std::min(corner[k]->*field, 1.0);
            return static_cast<uint32_t>(std::lround(std::clamp(value / sum, 0.0, 1.0) * 255));
          };
          piece.pixels[static_cast<size_t>(y) * piece.width + x] =
              0xFF000000u | (channel(&Vertex::r) << 16) | (channel(&Vertex::g) << 8) | channel(&Vertex::b);
        }
      }
      Xform placed;
      placed.dx = left;
      placed.dy = top;
      c.device.DrawImage(piece, placed, {p[0], p[1], p[2]}, 0x00CC0020, nullptr, false);
      continue;
    }
    double x0 = ClampCoordinate(std::min(v[a].p.x, v[b].p.x)), x1 = ClampCoordinate(std::max(v[a].p.x, v[b].p.x));
    double y0 = ClampCoordinate(std::min(v[a].p.y, v[b].p.y)), y1 = ClampCoordinate(std::max(v[a].p.y, v[b].p.y));
    bool vertical = mode == 1;
    const Vertex& first = vertical ? (v[a].p.y <= v[b].p.y ? v[a] : v[b]) : (v[a].p.x <= v[b].p.x ? v[a] : v[b]);
    const Vertex& second = &first == &v[a] ? v[b] : v[a];
    c.device.FillGradientRect(x0, y0, x1, y1, vertical, {first.r, first.g, first.b}, {second.r, second.g, second.b});
  }
  return true;
}

}  // namespace

void RegisterBitmapHandlers(HandlerTable& t) {
  t.Set(EMR_BITBLT, BitBlt);
  t.Set(EMR_STRETCHBLT, StretchBlt);
  t.Set(EMR_STRETCHDIBITS, StretchDIBits);
  t.Set(EMR_SETDIBITSTODEVICE, SetDIBitsToDevice);
  t.Set(EMR_MASKBLT, MaskBlt);
  t.Set(EMR_PLGBLT, PlgBlt);
  t.Set(EMR_TRANSPARENTBLT, TransparentBlt);
  t.Set(EMR_ALPHABLEND, AlphaBlend);
  t.Set(EMR_GRADIENTFILL, GradientFill);
}

}  // namespace velto::emf::playback
