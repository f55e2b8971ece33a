#pragma once
// Bounds-checked little-endian reads over bytes that came from a file. Every read answers "no value"
// instead of touching memory outside the span; offsets and lengths are checked without overflow.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

namespace velto {

class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  size_t Size() const { return bytes_.size(); }
  std::span<const uint8_t> Bytes() const { return bytes_; }

  // True when [offset, offset + length) lies inside the bytes.
  bool Has(size_t offset, size_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }

  std::optional<std::span<const uint8_t>> Slice(size_t offset, size_t length) const {
    if (!Has(offset, length)) return std::nullopt;
    return bytes_.subspan(offset, length);
  }

  // Slice of `count` elements of `elementSize` bytes each; refuses counts whose byte size overflows.
  std::optional<std::span<const uint8_t>> Array(size_t offset, size_t count, size_t elementSize) const {
    if (elementSize != 0 && count > SIZE_MAX / elementSize) return std::nullopt;
    return Slice(offset, count * elementSize);
  }

  std::optional<uint8_t> U8(size_t offset) const { return ReadLe<uint8_t>(offset); }
  std::optional<uint16_t> U16(size_t offset) const { return ReadLe<uint16_t>(offset); }
  std::optional<int16_t> I16(size_t offset) const { return ReadLe<int16_t>(offset); }
  std::optional<uint32_t> U32(size_t offset) const { return ReadLe<uint32_t>(offset); }
  std::optional<int32_t> I32(size_t offset) const { return ReadLe<int32_t>(offset); }
  std::optional<float> F32(size_t offset) const {
    auto bits = U32(offset);
    if (!bits) return std::nullopt;
    float value;
    std::memcpy(&value, &*bits, sizeof value);
    return value;
  }

  // Reads that fall back to a value when out of range, for fields whose absence GDI treats as zero.
  uint32_t U32Or(size_t offset, uint32_t fallback = 0) const { return U32(offset).value_or(fallback); }
  int32_t I32Or(size_t offset, int32_t fallback = 0) const { return I32(offset).value_or(fallback); }

 private:
  template <class T>
  std::optional<T> ReadLe(size_t offset) const {
    if (!Has(offset, sizeof(T))) return std::nullopt;
    using U = std::make_unsigned_t<T>;
    U value = 0;
    for (size_t i = 0; i < sizeof(T); ++i) value |= static_cast<U>(static_cast<U>(bytes_[offset + i]) << (8 * i));
    return static_cast<T>(value);
  }

  std::span<const uint8_t> bytes_;
};

}  // namespace velto
