#include "job/document_name.h"

#include <string_view>

namespace velto {

namespace {

// Characters, not bytes, of a UTF-8 text: every byte but the continuation bytes (10xxxxxx) starts one.
size_t CharacterCount(std::string_view text) {
  size_t count = 0;
  for (char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

}  // namespace

void CleanDocumentName(std::string& name) {
  // An ending of at most five characters with its dot is cut off ("报告.文档" gives "报告").
  auto dot = name.rfind('.');
  if (dot != std::string::npos && CharacterCount(std::string_view(name).substr(dot)) <= 5) name.resize(dot);
  constexpr std::string_view kNotInFileNames = "\"*./:<>?\\|";
  for (char& c : name) {
    if (kNotInFileNames.find(c) != std::string_view::npos) c = '_';
  }
}

void CutToBytes(std::string& text, size_t limit) {
  if (text.size() <= limit) return;
  size_t end = limit;
  // Step back over continuation bytes (10xxxxxx) so that no character is cut in half.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
}

}  // namespace velto
