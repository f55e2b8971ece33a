#pragma once
// Raster operations as truth tables: a ternary operation's third byte gives the result bit for every
// combination of pattern, source and destination bits, at index (P?4:0)|(S?2:0)|(D?1:0); a binary
// operation (SETROP2, 1..16) is code − 1 as a table over (P?2:0)|(D?1:0).

#include <cstdint>

namespace velto::emf::playback {

inline constexpr uint32_t kSrcCopy = 0x00CC0020, kPatCopy = 0x00F00021, kBlackness = 0x00000042,
                          kWhiteness = 0x00FF0062, kDstInvert = 0x00550009, kSrcAnd = 0x008800C6,
                          kSrcPaint = 0x00EE0086, kSrcInvert = 0x00660046, kNoOp = 0x00AA0029;

inline constexpr uint32_t kR2CopyPenCode = 13;

inline uint8_t Rop3Table(uint32_t rop) { return static_cast<uint8_t>(rop >> 16); }

inline bool Rop3UsesSource(uint8_t t) { return ((t >> 2) & 0x33) != (t & 0x33); }
inline bool Rop3UsesPattern(uint8_t t) { return (t >> 4) != (t & 0x0F); }
inline bool Rop3UsesDest(uint8_t t) { return ((t >> 1) & 0x55) != (t & 0x55); }

// The ternary table equivalent to a binary raster operation (the source plays no part).
inline uint8_t Rop2ToTable(uint32_t rop2) {
  uint8_t t2 = static_cast<uint8_t>((rop2 - 1) & 0xF);
  uint8_t t3 = 0;
  for (int i = 0; i < 8; ++i) {
    int p = (i >> 2) & 1, d = i & 1;
    if ((t2 >> (p * 2 + d)) & 1) t3 |= static_cast<uint8_t>(1u << i);
  }
  return t3;
}

// Applies the table to every bit of the three words.
inline uint32_t ApplyRop3(uint8_t table, uint32_t p, uint32_t s, uint32_t d) {
  switch (table) {
    case 0x00: return 0;
    case 0xFF: return 0xFFFFFFFFu;
    case 0xCC: return s;
    case 0xF0: return p;
    case 0xAA: return d;
    case 0x55: return ~d;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x66: return s ^ d;
    case 0x5A: return p ^ d;
    case 0xA0: return p & d;
    case 0xFA: return p | d;
    case 0x33: return ~s;
    default: break;
  }
  uint32_t result = 0;
  for (int i = 0; i < 8; ++i) {
    if (!((table >> i) & 1)) continue;
    uint32_t term = ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    result |= term;
  }
  return result;
}

}  // namespace velto::emf::playback
