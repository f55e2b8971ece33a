#include "text/font_library.h"

#include <fontconfig/fontconfig.h>
#include FT_TRUETYPE_TABLES_H

#include <cstring>
#include <map>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

namespace velto::emf::text {
namespace {

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct FontSetDeleter {
  void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};
struct ObjectSetDeleter {
  void operator()(FcObjectSet* s) const { FcObjectSetDestroy(s); }
};
struct CharSetDeleter {
  void operator()(FcCharSet* s) const { FcCharSetDestroy(s); }
};
struct ConfigDeleter {
  void operator()(FcConfig* c) const { FcConfigDestroy(c); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;
using FontSetPtr = std::unique_ptr<FcFontSet, FontSetDeleter>;

const FcChar8* Fc(const char* s) { return reinterpret_cast<const FcChar8*>(s); }

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return s;
}

// Process-wide state; reached only with FontMutex() held.
struct Library {
  std::unique_ptr<FcConfig, ConfigDeleter> config;
  std::shared_ptr<FT_LibraryRec_> freetype;
  // Faces kept open for good: every face that a font was realised with stays cheap to reuse.
  std::map<std::pair<std::string, int>, std::shared_ptr<SharedFace>> keptFaces;
  std::unordered_map<std::string, bool> installedFamilies;
  std::unordered_map<uint32_t, std::shared_ptr<SharedFace>> fallbackByCodepoint;
  std::optional<std::vector<std::shared_ptr<SharedFace>>> preferredFallbacks;
  // Answers of ChooseFace by family, weight, slant, exactness and language.
  std::map<std::tuple<std::string, int, bool, bool, std::string>, std::optional<FaceChoice>> choices;
};

Library& Lib() {
  static Library library = [] {
    Library lib;
    lib.config.reset(FcInitLoadConfigAndFonts());
    FT_Library ft = nullptr;
    if (FT_Init_FreeType(&ft) == 0) {
      lib.freetype = std::shared_ptr<FT_LibraryRec_>(ft, [](FT_Library l) { FT_Done_FreeType(l); });
    }
    return lib;
  }();
  return library;
}

bool PatternHasFamily(FcPattern* pattern, const std::string& wantedLower) {
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
    if (Lower(reinterpret_cast<const char*>(name)) == wantedLower) return true;
  }
  return false;
}

std::string FirstFamily(FcPattern* pattern) {
  FcChar8* name = nullptr;
  if (FcPatternGetString(pattern, FC_FAMILY, 0, &name) == FcResultMatch) return reinterpret_cast<const char*>(name);
  return {};
}

std::shared_ptr<SharedFace> OpenFromPattern(FcPattern* pattern) {
  FcChar8* file = nullptr;
  int index = 0;
  if (FcPatternGetString(pattern, FC_FILE, 0, &file) != FcResultMatch) return nullptr;
  if (FcPatternGetInteger(pattern, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
  return OpenSharedFace(reinterpret_cast<const char*>(file), index);
}

}  // namespace

std::recursive_mutex& FontMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

SharedFace::SharedFace(std::shared_ptr<FT_LibraryRec_> library, FT_Face face, std::string path, int index)
    : library_(std::move(library)), face_(face), path_(std::move(path)), index_(index) {}

SharedFace::~SharedFace() { FT_Done_Face(face_); }

std::shared_ptr<SharedFace> OpenSharedFace(const std::string& path, int index) {
  Library& lib = Lib();
  if (!lib.freetype) return nullptr;
  auto key = std::make_pair(path, index);
  if (auto it = lib.keptFaces.find(key); it != lib.keptFaces.end()) return it->second;
  FT_Face face = nullptr;
  if (FT_New_Face(lib.freetype.get(), path.c_str(), index, &face) != 0 || face == nullptr) return nullptr;
  if (!FT_IS_SCALABLE(face)) {  // bitmap-only fonts cannot be scaled to the sizes pages ask for
    FT_Done_Face(face);
    return nullptr;
  }
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);
  auto shared = std::make_shared<SharedFace>(lib.freetype, face, path, index);
  lib.keptFaces.emplace(key, shared);
  return shared;
}

bool IsFamilyInstalled(const std::string& family) {
  Library& lib = Lib();
  std::string key = Lower(family);
  if (auto it = lib.installedFamilies.find(key); it != lib.installedFamilies.end()) return it->second;
  bool installed = false;
  if (lib.config) {
    PatternPtr pattern(FcPatternCreate());
    FcPatternAddString(pattern.get(), FC_FAMILY, Fc(family.c_str()));
    std::unique_ptr<FcObjectSet, ObjectSetDeleter> objects(FcObjectSetBuild(FC_FAMILY, nullptr));
    FontSetPtr fonts(FcFontList(lib.config.get(), pattern.get(), objects.get()));
    if (fonts) {
      for (int i = 0; i < fonts->nfont && !installed; ++i) installed = PatternHasFamily(fonts->fonts[i], key);
    }
  }
  lib.installedFamilies.emplace(key, installed);
  return installed;
}

namespace {

std::optional<FaceChoice> MatchFace(const std::string& family, int weight, bool italic, bool exactFamily,
                                    const char* language) {
  Library& lib = Lib();
  if (!lib.config) return std::nullopt;
  PatternPtr pattern(FcPatternCreate());
  if (!family.empty()) FcPatternAddString(pattern.get(), FC_FAMILY, Fc(family.c_str()));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  if (language != nullptr) FcPatternAddString(pattern.get(), FC_LANG, Fc(language));
  FcConfigSubstitute(lib.config.get(), pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  PatternPtr match(FcFontMatch(lib.config.get(), pattern.get(), &result));
  if (!match) return std::nullopt;
  if (exactFamily && !PatternHasFamily(match.get(), Lower(family))) return std::nullopt;
  FaceChoice choice;
  choice.family = FirstFamily(match.get());
  choice.face = OpenFromPattern(match.get());
  if (!choice.face) return std::nullopt;
  // What the file itself is: fontconfig's answer already claims the synthetic styles it would add.
  FT_Face face = choice.face->Face();
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  choice.isBold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0 ||
                  (os2 != nullptr && os2->version != 0xFFFF && os2->usWeightClass >= 600);
  choice.isItalic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
  return choice;
}

}  // namespace

std::optional<FaceChoice> ChooseFace(const std::string& family, int weight, bool italic, bool exactFamily,
                                     const char* language) {
  auto key = std::make_tuple(family, weight, italic, exactFamily, std::string(language ? language : ""));
  auto& choices = Lib().choices;
  if (auto it = choices.find(key); it != choices.end()) return it->second;
  auto choice = MatchFace(family, weight, italic, exactFamily, language);
  choices.emplace(std::move(key), choice);
  return choice;
}

std::shared_ptr<SharedFace> FallbackFaceFor(uint32_t codepoint) {
  Library& lib = Lib();
  if (auto it = lib.fallbackByCodepoint.find(codepoint); it != lib.fallbackByCodepoint.end()) return it->second;
  std::shared_ptr<SharedFace> found;
  if (!lib.preferredFallbacks) {
    // The Chinese face first: most text that needs a fallback on these pages is Chinese.
    static constexpr const char* kPreferred[] = {"WenQuanYi Zen Hei", "Noto Sans CJK SC", "DejaVu Sans",
                                                 "Liberation Sans", "DejaVu Serif"};
    lib.preferredFallbacks.emplace();
    for (const char* family : kPreferred) {
      if (!IsFamilyInstalled(family)) continue;
      if (auto choice = ChooseFace(family, 400, false, true)) lib.preferredFallbacks->push_back(choice->face);
    }
  }
  for (const auto& face : *lib.preferredFallbacks) {
    if (face->HasChar(codepoint)) {
      found = face;
      break;
    }
  }
  if (!found && lib.config) {
    // Any installed font that covers the character, in fontconfig's order of preference.
    PatternPtr pattern(FcPatternCreate());
    std::unique_ptr<FcCharSet, CharSetDeleter> charset(FcCharSetCreate());
    FcCharSetAddChar(charset.get(), codepoint);
    FcPatternAddCharSet(pattern.get(), FC_CHARSET, charset.get());
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(lib.config.get(), pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    FontSetPtr fonts(FcFontSort(lib.config.get(), pattern.get(), FcFalse, nullptr, &result));
    if (fonts) {
      for (int i = 0; i < fonts->nfont && !found; ++i) {
        FcCharSet* covered = nullptr;
        if (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &covered) != FcResultMatch ||
            !FcCharSetHasChar(covered, codepoint)) {
          continue;
        }
        auto face = OpenFromPattern(fonts->fonts[i]);
        if (face && face->HasChar(codepoint)) found = face;
      }
    }
  }
  lib.fallbackByCodepoint.emplace(codepoint, found);
  return found;
}

}  // namespace velto::emf::text
