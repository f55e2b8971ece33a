#include "raster/gif_encoder.h"

#include <cerrno>

#include <algorithm>
#include <cstring>
#include <memory>

#include "raster/extracted_page.h"
#include "spool/stdio_file.h"

namespace velto {

void GifLzwEncoder::Reset(int minimumCodeSize) {
  initialWidth_ = minimumCodeSize + 1;
  codeWidth_ = initialWidth_;
  maxCode_ = MaxCode(codeWidth_);
  clearCode_ = 1 << (initialWidth_ - 1);
  endCode_ = clearCode_ + 1;
  nextFreeCode_ = clearCode_ + 2;
  clearFlag_ = false;
  std::fill(std::begin(hashTable_), std::end(hashTable_), -1);
  std::fill(std::begin(codeTable_), std::end(codeTable_), 0);
  accumulator_ = 0;
  bitCount_ = 0;
  packetBytes_ = 0;
}

void GifLzwEncoder::Encode(const GifImage& image, std::FILE* file) {
  file_ = file;
  const int bits = GifBitsPerPixel(image.colourCount);
  const int minimumCodeSize = std::max(bits, 2);
  Reset(minimumCodeSize);

  const int tableEntries = 1 << bits;
  uint8_t header[13 + 3 * 256 + 11];
  size_t n = 0;
  auto put16 = [&](int v) {
    header[n++] = static_cast<uint8_t>(v);
    header[n++] = static_cast<uint8_t>(v >> 8);
  };
  std::memcpy(header, "GIF87a", 6);
  n = 6;
  put16(image.width);
  put16(image.height);
  header[n++] = static_cast<uint8_t>(0x80 | ((bits - 1) << 4) | (bits - 1));
  header[n++] = 0;  // background colour index
  header[n++] = 0;  // pixel aspect ratio
  for (int i = 0; i < tableEntries; ++i) {
    const bool used = i < image.colourCount;
    header[n++] = used ? image.red[i] : 0;
    header[n++] = used ? image.green[i] : 0;
    header[n++] = used ? image.blue[i] : 0;
  }
  header[n++] = 0x2C;
  put16(0);
  put16(0);
  put16(image.width);
  put16(image.height);
  header[n++] = 0;  // no local colour table, not interlaced
  header[n++] = static_cast<uint8_t>(minimumCodeSize);
  std::fwrite(header, 1, n, file_);

  Compress(image);

  const uint8_t trailer[2] = {0x00, 0x3B};  // block terminator, trailer
  std::fwrite(trailer, 1, sizeof trailer, file_);
}

void GifLzwEncoder::ClearTable() {
  std::fill(std::begin(hashTable_), std::end(hashTable_), -1);
  nextFreeCode_ = clearCode_ + 2;
  clearFlag_ = true;
  WriteCode(clearCode_);
}

void GifLzwEncoder::Compress(const GifImage& image) {
  const int width = image.width;
  const int height = image.height;
  if (width <= 0 || height <= 0) {
    WriteCode(clearCode_);
    WriteCode(endCode_);
    return;
  }
  // Pixels in reading order: row 0 (the top of the page) left to right, then the next row.
  int ent = image.Column(0)[0];
  std::fill(std::begin(hashTable_), std::end(hashTable_), -1);
  WriteCode(clearCode_);
  bool first = true;
  for (int y = 0; y < height; ++y) {
    const uint8_t* cell = image.columns.data() + y;
    for (int x = 0; x < width; ++x, cell += height) {
      if (first) {
        first = false;
        continue;
      }
      const int c = *cell;
      const int32_t fcode = (int32_t{c} << kLargestWidth) + ent;
      int i = (c << kHashShift) ^ ent;
      if (hashTable_[i] == fcode) {
        ent = codeTable_[i];
        continue;
      }
      if (hashTable_[i] >= 0) {  // taken by another string: probe backwards, wrapping around
        const int disp = i == 0 ? 1 : kHashSlots - i;
        bool found = false;
        do {
          i -= disp;
          if (i < 0) i += kHashSlots;
          if (hashTable_[i] == fcode) {
            found = true;
            break;
          }
        } while (hashTable_[i] > 0);
        if (found) {
          ent = codeTable_[i];
          continue;
        }
      }
      WriteCode(ent);
      ent = c;
      if (nextFreeCode_ < kCodeLimit) {
        codeTable_[i] = static_cast<uint16_t>(nextFreeCode_++);
        hashTable_[i] = fcode;
      } else {
        ClearTable();
      }
    }
  }
  WriteCode(ent);
  WriteCode(endCode_);
}

void GifLzwEncoder::WriteCode(int code) {
  accumulator_ &= (1u << bitCount_) - 1;
  if (bitCount_ > 0)
    accumulator_ |= static_cast<uint32_t>(code) << bitCount_;
  else
    accumulator_ = static_cast<uint32_t>(code);
  bitCount_ += codeWidth_;
  while (bitCount_ >= 8) {
    PutByte(static_cast<uint8_t>(accumulator_));
    accumulator_ >>= 8;
    bitCount_ -= 8;
  }
  if (nextFreeCode_ > maxCode_ || clearFlag_) {
    if (clearFlag_) {
      codeWidth_ = initialWidth_;
      maxCode_ = MaxCode(codeWidth_);
      clearFlag_ = false;
    } else {
      ++codeWidth_;
      maxCode_ = codeWidth_ == kLargestWidth ? kCodeLimit : MaxCode(codeWidth_);
    }
  }
  if (code == endCode_) {
    while (bitCount_ > 0) {
      PutByte(static_cast<uint8_t>(accumulator_));
      accumulator_ >>= 8;
      bitCount_ -= 8;
    }
    FlushPacket();
    std::fflush(file_);
  }
}

void GifLzwEncoder::PutByte(uint8_t byte) {
  packet_[1 + packetBytes_++] = byte;
  if (packetBytes_ >= 254) FlushPacket();
}

void GifLzwEncoder::FlushPacket() {
  if (packetBytes_ > 0) {
    packet_[0] = static_cast<uint8_t>(packetBytes_);
    std::fwrite(packet_, 1, static_cast<size_t>(packetBytes_) + 1, file_);
    packetBytes_ = 0;
  }
}

bool WriteIndexedGif(std::span<const uint8_t> rows, const std::string& path, int width, int height, int* systemError,
                     std::string* reason) {
  auto refuse = [reason](std::string why) {
    if (reason) *reason = std::move(why);
    return false;
  };
  if (width <= 0 || height <= 0 || width > kMaxGifSide || height > kMaxGifSide) {
    return refuse("a page of " + std::to_string(width) + " x " + std::to_string(height) + " pixels is too large for GIF");
  }
  GifImage image;
  if (!AllocateGifImage(width, height, image)) return refuse("not enough memory for the GIF image");
  if (!BuildGifPalette(image, rows)) return refuse("the page's rows are shorter than the image");
  StdioFile file = platform::OpenStdioFileForWriting(path);
  if (!file) {
    if (systemError) *systemError = errno;
    return false;
  }
  auto encoder = std::make_unique<GifLzwEncoder>();
  encoder->Encode(image, file.get());
  bool written = std::fflush(file.get()) == 0 && std::ferror(file.get()) == 0;
  if (!written && systemError) *systemError = errno;
  const bool closed = std::fclose(file.release()) == 0;
  if (written && !closed && systemError) *systemError = errno;
  written = written && closed;
  if (!written) RemoveFileQuietly(path);  // a truncated GIF is no page
  return written;
}

}  // namespace velto
