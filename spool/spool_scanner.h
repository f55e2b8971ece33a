#pragma once
// The page scan of an EMF spool file. A page's metafile starts at offset p when the six bytes at p are the
// page signature (EMR_HEADER and the low half of the first page's header size) and the four bytes at
// p + 40 are " EMF". Positions are examined in increasing order; after a page the scan goes on behind
// its 44 tested bytes.
//
// The file is read through a 2048-byte window: every read after the first keeps the last 50 bytes of
// the window and appends up to 1998 new ones, so a page header straddling two reads is seen whole. Every
// position is examined exactly once, whatever the window boundaries.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string.h>  // memmem
#include <span>

namespace velto {

inline constexpr size_t kSpoolWindowBytes = 2048;
inline constexpr size_t kSpoolWindowCarry = 50;
inline constexpr size_t kPageHeaderTestBytes = 44;
inline constexpr size_t kPageSignatureBytes = 6;
inline constexpr size_t kEmfSignatureOffset = 40;
inline constexpr uint8_t kEmfSignature[4] = {0x20, 0x45, 0x4D, 0x46};  // " EMF"

// The first " EMF" signature in [data, data + size), or null: memmem where the C library has it, a
// scan for the signature's first byte elsewhere.
inline const uint8_t* FindSignature(const uint8_t* data, size_t size) {
#if defined(__GLIBC__)
  return static_cast<const uint8_t*>(memmem(data, size, kEmfSignature, sizeof kEmfSignature));
#else
  const uint8_t* end = data + size;
  while (size >= sizeof kEmfSignature) {
    const size_t starts = size - sizeof kEmfSignature + 1;
    const auto* first = static_cast<const uint8_t*>(std::memchr(data, kEmfSignature[0], starts));
    if (!first) return nullptr;
    if (std::memcmp(first, kEmfSignature, sizeof kEmfSignature) == 0) return first;
    data = first + 1;
    size = static_cast<size_t>(end - data);
  }
  return nullptr;
#endif
}

class SpoolPageScanner {
 public:
  explicit SpoolPageScanner(const std::array<uint8_t, kPageSignatureBytes>& signature) : signature_(signature) {}

  // True when the 44 bytes at `p` pass the page header test.
  bool IsPageHeader(const uint8_t* p) const {
    return std::memcmp(p, signature_.data(), kPageSignatureBytes) == 0 &&
           std::memcmp(p + kEmfSignatureOffset, kEmfSignature, sizeof kEmfSignature) == 0;
  }

  // `read(span)` fills up to span.size() bytes and returns how many came (0 at the end).
  // `found(offset)` is called for every page in order and returns false to stop the scan.
  template <class Read, class Found>
  void Scan(Read&& read, Found&& found) {
    std::array<uint8_t, kSpoolWindowBytes> window;
    size_t held = read(std::span<uint8_t>(window));
    int64_t windowStart = 0;  // file offset of window[0]
    int64_t next = 0;         // file offset of the next position to examine
    for (;;) {
      if (held >= kPageHeaderTestBytes) {
        const size_t last = held - kPageHeaderTestBytes;  // last position whose 44 bytes are held
        size_t pos = next > windowStart ? static_cast<size_t>(next - windowStart) : 0;
        // Candidates are found by their " EMF" 40 bytes further on, the rarer of the two patterns;
        // taken in increasing order this examines the same positions as a byte-by-byte walk.
        while (pos <= last) {
          const size_t from = pos + kEmfSignatureOffset;
          const uint8_t* hit = FindSignature(window.data() + from, held - from);
          if (!hit) {
            pos = last + 1;
            break;
          }
          pos = static_cast<size_t>(static_cast<const uint8_t*>(hit) - window.data()) - kEmfSignatureOffset;
          if (IsPageHeader(window.data() + pos)) {
            if (!found(windowStart + static_cast<int64_t>(pos))) return;
            pos += kPageHeaderTestBytes;
          } else {
            ++pos;
          }
        }
        if (windowStart + static_cast<int64_t>(pos) > next) next = windowStart + static_cast<int64_t>(pos);
      }
      // Keep the tail of the window: the positions not yet examined lie within it.
      const size_t carry = held < kSpoolWindowCarry ? held : kSpoolWindowCarry;
      std::memmove(window.data(), window.data() + held - carry, carry);
      windowStart += static_cast<int64_t>(held - carry);
      const size_t more = read(std::span<uint8_t>(window).subspan(carry));
      if (more == 0) return;
      held = carry + more;
    }
  }

 private:
  std::array<uint8_t, kPageSignatureBytes> signature_;
};

}  // namespace velto
