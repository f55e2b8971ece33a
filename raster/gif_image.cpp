#include "raster/gif_image.h"

#include <memory>
#include <new>
#include <optional>

#include "raster/nearest_colour.h"

namespace velto {
namespace {

// Exact colour → palette index for the colours met so far (at most 256), by open addressing.
class PaletteIndex {
 public:
  PaletteIndex() { keys_.fill(0); }
  // The index of `rgb`, or -1.
  int Find(uint32_t rgb) const {
    for (uint32_t slot = Hash(rgb);; slot = (slot + 1) & kMask) {
      if (keys_[slot] == rgb + 1) return values_[slot];
      if (keys_[slot] == 0) return -1;
    }
  }
  void Add(uint32_t rgb, uint8_t index) {
    uint32_t slot = Hash(rgb);
    while (keys_[slot] != 0) slot = (slot + 1) & kMask;
    keys_[slot] = rgb + 1;
    values_[slot] = index;
  }

 private:
  static constexpr uint32_t kSlots = 1024;  // four times the largest palette: short probe runs
  static constexpr uint32_t kMask = kSlots - 1;
  static uint32_t Hash(uint32_t rgb) { return (rgb * 2654435761u) >> 22; }
  std::array<uint32_t, kSlots> keys_;  // rgb + 1; 0 marks an empty slot
  std::array<uint8_t, kSlots> values_{};
};

}  // namespace

bool AllocateGifImage(int width, int height, GifImage& image) {
  image = GifImage{};
  if (width <= 0 || height <= 0) return false;
  try {
    // The palette builder writes every byte; the zero fill keeps the image defined all the same.
    image.columns.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  } catch (const std::bad_alloc&) {
    return false;
  }
  image.width = width;
  image.height = height;
  return true;
}

bool BuildGifPalette(GifImage& image, std::span<const uint8_t> rows) {
  const int width = image.width;
  const int height = image.height;
  const size_t padding = static_cast<size_t>(width % 4);
  const size_t stride = static_cast<size_t>(width) * 3 + padding;
  if (width <= 0 || height <= 0 || rows.size() < stride * static_cast<size_t>(height)) return false;

  auto index = std::make_unique<PaletteIndex>();
  std::optional<NearestColour> nearest;  // built once the palette is full and a new colour turns up
  int count = 0;
  uint32_t lastColour = 0xFFFFFFFF;
  uint8_t lastIndex = 0;
  const uint8_t* src = rows.data();
  for (int r = 0; r < height; ++r) {
    const size_t y = static_cast<size_t>(height - 1 - r);
    uint8_t* cell = image.columns.data() + y;
    for (int x = 0; x < width; ++x, src += 3, cell += height) {
      const uint32_t rgb = (uint32_t{src[2]} << 16) | (uint32_t{src[1]} << 8) | src[0];
      if (rgb != lastColour) {
        int found = index->Find(rgb);
        if (found < 0) {
          if (count < 256) {
            image.red[count] = src[2];
            image.green[count] = src[1];
            image.blue[count] = src[0];
            index->Add(rgb, static_cast<uint8_t>(count));
            found = count++;
          } else {
            if (!nearest) {
              std::array<uint32_t, 256> palette;
              for (int i = 0; i < 256; ++i)
                palette[i] = (uint32_t{image.red[i]} << 16) | (uint32_t{image.green[i]} << 8) | image.blue[i];
              nearest.emplace(palette);
            }
            found = nearest->Find(rgb);
          }
        }
        lastColour = rgb;
        lastIndex = static_cast<uint8_t>(found);
      }
      *cell = lastIndex;
    }
    src += padding;
  }
  image.colourCount = count;
  return true;
}

int GifBitsPerPixel(int colourCount) {
  int bits = 1;
  while (bits < 8 && (1 << bits) < colourCount) ++bits;
  return bits;
}

}  // namespace velto
