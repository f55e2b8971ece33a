#pragma once
// GIF87a files of one indexed image, compressed by a variable-code-width LZW encoder (codes of up to
// 12 bits, a 5003-slot open-addressing string table, clear codes when the table is full, data
// sub-blocks of at most 254 bytes).

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "raster/gif_image.h"

namespace velto {

// Logical screen sizes are 16-bit numbers.
inline constexpr int kMaxGifSide = 65535;

class GifLzwEncoder {
 public:
  // Writes the whole file: header, global colour table, image descriptor, LZW data, trailer.
  void Encode(const GifImage& image, std::FILE* file);

 private:
  static constexpr int kHashSlots = 5003;
  static constexpr int kLargestWidth = 12;
  static constexpr int kCodeLimit = 4096;
  static constexpr int kHashShift = 4;

  void Reset(int minimumCodeSize);
  void Compress(const GifImage& image);
  void ClearTable();
  void WriteCode(int code);
  void PutByte(uint8_t byte);
  void FlushPacket();
  static int MaxCode(int width) { return (1 << width) - 1; }

  std::FILE* file_ = nullptr;
  int initialWidth_ = 0;
  int codeWidth_ = 0;
  int maxCode_ = 0;
  int clearCode_ = 0;
  int endCode_ = 0;
  int nextFreeCode_ = 0;
  bool clearFlag_ = false;
  int32_t hashTable_[kHashSlots];
  uint16_t codeTable_[kHashSlots];
  uint32_t accumulator_ = 0;
  int bitCount_ = 0;
  uint8_t packet_[255];  // length byte and up to 254 data bytes
  int packetBytes_ = 0;
};

// Builds the indexed image from 24-bit bottom-up rows (blue, green, red, rows padded to 4 bytes) and
// writes it as `path`. True when the file was written; false (and no file) when the image is too large
// for GIF, memory runs out, the rows are short, or the file cannot be created or written. A failure of
// the system's leaves its errno in `systemError`, any other its reason in `reason`.
bool WriteIndexedGif(std::span<const uint8_t> rows, const std::string& path, int width, int height,
                     int* systemError = nullptr, std::string* reason = nullptr);

}  // namespace velto
