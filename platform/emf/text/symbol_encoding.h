#pragma once
// Text in the Windows "Symbol" face is written in that face's own encoding (Greek letters on the Latin
// letters' codes, mathematical signs above 0xA0), either as 0x20..0xFF or in the private-use copy
// 0xF020..0xF0FF. Our stand-in face is a Unicode face, so the codes are translated.

#include <cstdint>

namespace velto::emf::text {

enum class SymbolEncoding : uint8_t { None, Symbol, Wingdings };

// The Unicode character for a Symbol-encoded code; other codes come back unchanged.
uint32_t SymbolToUnicode(uint32_t code);

// The Unicode character for the Wingdings codes that documents use most (list bullets, check marks,
// boxes, arrows); other codes come back unchanged.
uint32_t WingdingsToUnicode(uint32_t code);

uint32_t ToUnicode(SymbolEncoding encoding, uint32_t code);

}  // namespace velto::emf::text
