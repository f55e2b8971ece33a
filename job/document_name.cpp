#include "job/document_name.h"

#include <string_view>

namespace velto {

void CleanDocumentName(std::string& name) {
  auto dot = name.rfind('.');
  if (dot != std::string::npos && name.size() - dot <= 5) name.resize(dot);
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
