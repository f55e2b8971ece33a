#include "text/font_selection.h"

#include "text/face_table.h"

namespace velto::emf::text {
namespace {

constexpr int kSemiBold = 600;  // GDI draws FW_SEMIBOLD and heavier with the bold cut

std::string FirstInstalled(std::span<const char* const> families) {
  for (const char* family : families) {
    if (IsFamilyInstalled(family)) return family;
  }
  return {};
}

}  // namespace

std::string SubstituteFamilyLocked(std::u16string_view windowsFace, uint8_t charSet, uint8_t pitchAndFamily) {
  std::u16string_view face = NormaliseFaceName(windowsFace);
  if (const FaceSubstitution* row = FindFaceSubstitution(face)) {
    if (std::string family = FirstInstalled(row->families); !family.empty()) return family;
  }
  if (!face.empty()) {
    std::string name = ToUtf8(face);
    if (IsFamilyInstalled(name)) return name;
  }
  if (std::string family = FirstInstalled(DefaultFamilies(charSet, pitchAndFamily)); !family.empty()) {
    return family;
  }
  // None of our usual faces is installed: whatever fontconfig likes best.
  if (auto choice = ChooseFace(std::string{}, 400, false, false, LanguageOfCharSet(charSet))) return choice->family;
  return {};
}

SelectedFace SelectFace(const LogFont& font) {
  SelectedFace selected;
  selected.bold = font.weight >= kSemiBold;
  selected.italic = font.italic != 0;
  const int weight = selected.bold ? 700 : 400;
  std::string family = SubstituteFamilyLocked(font.faceName, font.charSet, font.pitchAndFamily);
  auto choice = ChooseFace(family, weight, selected.italic, true);
  if (!choice) choice = ChooseFace(family, weight, selected.italic, false, LanguageOfCharSet(font.charSet));
  if (!choice) return selected;
  selected.family = choice->family;
  selected.face = choice->face;
  selected.syntheticBold = selected.bold && !choice->isBold;
  selected.syntheticItalic = selected.italic && !choice->isItalic;
  if (const FaceSubstitution* row = FindFaceSubstitution(font.faceName)) {
    selected.encoding = row->encoding;
  }
  return selected;
}

}  // namespace velto::emf::text
