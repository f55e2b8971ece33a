#pragma once
// The installed fonts: fontconfig to find font files, FreeType to open them. Opened faces are shared
// and kept for the life of the process, so a page with thousands of text records opens each file once.
// Every function here expects FontMutex() to be held by the caller.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace velto::emf::text {

// Serialises all use of fontconfig, FreeType and the caches of the font layer.
std::recursive_mutex& FontMutex();

// An opened font file (one face of it, for collections). Owns the FT_Face; the FreeType library stays
// alive for as long as any face does.
class SharedFace {
 public:
  SharedFace(std::shared_ptr<FT_LibraryRec_> library, FT_Face face, std::string path, int index);
  ~SharedFace();
  SharedFace(const SharedFace&) = delete;
  SharedFace& operator=(const SharedFace&) = delete;

  FT_Face Face() const { return face_; }
  const std::string& Path() const { return path_; }
  int Index() const { return index_; }
  bool HasChar(uint32_t codepoint) const { return FT_Get_Char_Index(face_, codepoint) != 0; }

 private:
  std::shared_ptr<FT_LibraryRec_> library_;
  FT_Face face_;
  std::string path_;
  int index_;
};

// A face file that fontconfig picked, with what the file itself provides.
struct FaceChoice {
  std::string family;   // the file's first family name
  std::shared_ptr<SharedFace> face;
  bool isBold = false;    // the file is a bold (or heavier) cut
  bool isItalic = false;  // the file is an italic or oblique cut
};

// Whether fontconfig knows a family of exactly this name (case-insensitive).
bool IsFamilyInstalled(const std::string& family);

// The file of `family` closest to the weight (100..900) and slant; nothing when the family is not
// installed. With `exactFamily` false, fontconfig's nearest family is accepted (with `language` as a
// hint, e.g. "zh-cn"), which is how faces outside the substitution table are found.
std::optional<FaceChoice> ChooseFace(const std::string& family, int weight, bool italic, bool exactFamily,
                                     const char* language = nullptr);

// An installed face that has the character, for characters the chosen face lacks; null when no
// installed font has it. Preferred faces first (the Chinese face, then broad Latin faces), then any.
std::shared_ptr<SharedFace> FallbackFaceFor(uint32_t codepoint);

// Opens (or reuses) one face of a font file; null when the file cannot be opened.
std::shared_ptr<SharedFace> OpenSharedFace(const std::string& path, int index);

}  // namespace velto::emf::text
