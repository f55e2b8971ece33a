#include "spool/emf_page_rerecording.h"

#include <algorithm>

#include "platform/emf/metafile_recorder.h"
#include "spool/page_size.h"

namespace velto {
namespace {

constexpr uint32_t kR2NotXorPen = 10;
constexpr uint32_t kR2CopyPen = 13;  // the drawing mode of a new context
// The screen as reference device: 1280 × 1024 pixels at 96 dpi.
constexpr emf::SizeL kScreenPixels{1280, 1024};
constexpr emf::SizeL kScreenMillimeters{338, 270};

int32_t PixelsToHundredthsMm(int32_t pixels, int32_t devicePixels, int32_t deviceMm) {
  return static_cast<int32_t>(int64_t{pixels} * deviceMm * 100 / devicePixels);
}

}  // namespace

emf::SizeL EmfPageRectangle(const emf::Metafile& page) {
  int width = 0;
  int height = 0;
  if (!MetafilePageSize(page, width, height)) FallbackPageSize(width, height);
  const ScaledPageSize scaled = ScalePageSize(width, height);
  return emf::SizeL{scaled.width, scaled.height};
}

std::vector<uint8_t> RerecordEmfPage(const emf::Metafile& page) {
  const emf::SizeL size = EmfPageRectangle(page);
  const emf::RectL frame{0, 0, PixelsToHundredthsMm(size.cx, kScreenPixels.cx, kScreenMillimeters.cx),
                         PixelsToHundredthsMm(size.cy, kScreenPixels.cy, kScreenMillimeters.cy)};
  emf::MetafileRecorder recorder(frame, kScreenPixels, kScreenMillimeters);

  recorder.SetRop2(kR2NotXorPen);
  recorder.LineTo(emf::PointL{size.cx, size.cy});
  recorder.LineTo(emf::PointL{0, 0});
  recorder.SetRop2(kR2CopyPen);

  // The page's picture frame in its reference device's pixels, mapped onto (0, 0, w, h).
  const auto& header = page.Header();
  auto toPixels = [](int32_t hundredthsMm, int32_t pixels, int32_t mm) {
    return mm > 0 ? static_cast<double>(hundredthsMm) * pixels / (mm * 100.0) : 0.0;
  };
  const double left = toPixels(header.frame.left, header.device.cx, header.millimeters.cx);
  const double top = toPixels(header.frame.top, header.device.cy, header.millimeters.cy);
  const double right = toPixels(header.frame.right, header.device.cx, header.millimeters.cx);
  const double bottom = toPixels(header.frame.bottom, header.device.cy, header.millimeters.cy);
  const double scaleX = right > left ? size.cx / (right - left) : 1.0;
  const double scaleY = bottom > top ? size.cy / (bottom - top) : 1.0;

  recorder.SaveDC();
  recorder.Add(emf::EMR_SETWORLDTRANSFORM, emf::RecordBytes()
                                               .F32(static_cast<float>(scaleX))
                                               .F32(0.0f)
                                               .F32(0.0f)
                                               .F32(static_cast<float>(scaleY))
                                               .F32(static_cast<float>(-left * scaleX))
                                               .F32(static_cast<float>(-top * scaleY)));
  page.ForEachRecord([&](const emf::Record& record) {
    if (record.type != emf::kEmrHeader && record.type != emf::kEmrEof) recorder.AddRaw(record.bytes);
    return true;
  });
  recorder.RestoreDC(-1);

  std::vector<uint8_t> bytes = recorder.Finish();
  // The page's objects keep their indices, so the object table must be as large as the page's.
  const uint16_t handles = std::max<uint16_t>(page.Header().handles,
                                              static_cast<uint16_t>(bytes[56] | (bytes[57] << 8)));
  bytes[56] = static_cast<uint8_t>(handles);
  bytes[57] = static_cast<uint8_t>(handles >> 8);
  return bytes;
}

}  // namespace velto
