#pragma once
// Windows face names mapped to installed faces with the same metrics, so that text recorded for a
// Windows font keeps its line breaks and widths on our pages.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "text/symbol_encoding.h"

namespace velto::emf::text {

struct FaceSubstitution {
  std::u16string_view windowsFace;
  // Installed families to use, best first; the first one installed wins.
  std::span<const char* const> families;
  // Text in the face is in a symbol face's own encoding.
  SymbolEncoding encoding = SymbolEncoding::None;
};

// Every row of the table.
std::span<const FaceSubstitution> FaceSubstitutionTable();

// The table row for a Windows face (case-insensitive for Latin letters; a leading '@', which marks a
// face used for vertical writing, is ignored). Null when the face has no row.
const FaceSubstitution* FindFaceSubstitution(std::u16string_view windowsFace);

// Installed families to try for a face that is neither in the table nor installed: a Chinese,
// Japanese or Korean face for those character sets, a symbol face for the symbol character set, else
// by the LOGFONT's pitch and family (fixed pitch or modern: mono; roman: serif; otherwise sans).
std::span<const char* const> DefaultFamilies(uint8_t charSet, uint8_t pitchAndFamily);

// The fontconfig language that a Windows character set hints at; null for none.
const char* LanguageOfCharSet(uint8_t charSet);

// The face name without a leading '@' and without surrounding blanks or trailing NULs.
std::u16string_view NormaliseFaceName(std::u16string_view windowsFace);

// UTF-16 to UTF-8 (unpaired surrogates become U+FFFD).
std::string ToUtf8(std::u16string_view text);

}  // namespace velto::emf::text
