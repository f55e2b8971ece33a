#pragma once
// Which installed face a LOGFONT is drawn with: the substitution table, then the face itself when it is
// installed, then a default by character set and pitch. Expects FontMutex() to be held.

#include <memory>
#include <string>
#include <string_view>

#include "text/font.h"
#include "text/font_library.h"
#include "text/symbol_encoding.h"

namespace velto::emf::text {

std::string SubstituteFamilyLocked(std::u16string_view windowsFace, uint8_t charSet, uint8_t pitchAndFamily);

struct SelectedFace {
  std::string family;
  std::shared_ptr<SharedFace> face;  // null only when no font at all is installed
  bool bold = false;                 // bold was asked for (weight 600 or more)
  bool italic = false;               // italic was asked for
  bool syntheticBold = false;        // asked for, but the face has no bold cut
  bool syntheticItalic = false;
  SymbolEncoding encoding = SymbolEncoding::None;  // see FaceSubstitution
};

SelectedFace SelectFace(const LogFont& font);

}  // namespace velto::emf::text
