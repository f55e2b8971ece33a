#include "spool/page_size.h"

#include <cmath>

namespace velto {
namespace {

// Two's-complement wrap to 32 bits, as the platform's 32-bit arithmetic behaves.
int32_t Wrap32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

// One axis of the page size: extent (0.01 mm) × device pixels / (device mm × 100) in signed 32-bit
// arithmetic, the multiplication first, wrapping on overflow as the platform's does (GDI plays such
// pages at the wrapped size). A zero divisor gives no size.
bool PageExtent(int32_t low, int32_t high, int32_t devicePixels, int32_t deviceMillimetres, int& out) {
  const int32_t extent = Wrap32(int64_t{high} - low);
  const int32_t numerator = Wrap32(int64_t{extent} * devicePixels);
  const int32_t divisor = Wrap32(int64_t{deviceMillimetres} * 100);
  if (divisor == 0) return false;
  out = Wrap32(int64_t{numerator} / divisor);  // truncates toward zero; INT32_MIN / -1 wraps too
  return true;
}

}  // namespace

bool MetafilePageSize(const emf::Metafile& metafile, int& width, int& height) {
  const emf::MetafileHeader& h = metafile.Header();
  int w = 0;
  int ht = 0;
  if (!PageExtent(h.frame.left, h.frame.right, h.device.cx, h.millimeters.cx, w)) return false;
  if (!PageExtent(h.frame.top, h.frame.bottom, h.device.cy, h.millimeters.cy, ht)) return false;
  width = w;
  height = ht;
  return true;
}

void FallbackPageSize(int& width, int& height) {
  width = 595 + 595 / 4;
  height = 842 + 842 / 4;
}

ScaledPageSize ScalePageSize(int w0, int h0) {
  if (w0 >= 5000 || h0 >= 6000) FallbackPageSize(w0, h0);
  // Multiplications by fractions in double precision, truncated toward zero.
  return ScaledPageSize{static_cast<int>(std::trunc(w0 * 0.96)), static_cast<int>(std::trunc(h0 * 0.96))};
}

}  // namespace velto
