#include "spool/text_record.h"

#include <algorithm>

#include "platform/emf/metafile_recorder.h"
#include "spool/ansi_code_page.h"

namespace velto {
namespace {

// EMR_EXTTEXTOUTA/W: the embedded text object's character count and string offset.
constexpr size_t kExtTextCharsAt = 44;
constexpr size_t kExtTextOffsetAt = 48;
// EMR_SMALLTEXTOUT: count and options, then the text behind the fixed part, or behind a bounding
// rectangle when the record carries one.
constexpr size_t kSmallTextCharsAt = 16;
constexpr size_t kSmallTextOptionsAt = 20;
constexpr size_t kSmallTextNoRectText = 36;
constexpr size_t kSmallTextRectText = 52;

std::string Utf16Bytes(std::u16string_view units) {
  std::string bytes;
  bytes.reserve(units.size() * 2);
  for (char16_t unit : units) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

// UTF-16 text of `count` units at `offset`, up to its first zero unit; no value outside the record.
std::optional<std::u16string> WideText(const ByteReader& reader, size_t offset, uint32_t count) {
  const auto bytes = reader.Array(offset, count, 2);
  if (!bytes) return std::nullopt;
  std::u16string units;
  units.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const auto unit = static_cast<char16_t>((*bytes)[2 * i] | (*bytes)[2 * i + 1] << 8);
    if (unit == 0) break;
    units.push_back(unit);
  }
  return units;
}

// 8-bit text of at most `count` bytes at `offset`, up to its first zero byte; no value outside the record.
std::optional<std::string> AnsiText(const ByteReader& reader, size_t offset, uint32_t count) {
  const auto bytes = reader.Slice(offset, count);
  if (!bytes) return std::nullopt;
  const auto end = std::find(bytes->begin(), bytes->end(), uint8_t{0});
  return std::string(bytes->begin(), end);
}

std::string FromWide(const std::optional<std::u16string>& text, int textcode, char replacement) {
  if (!text) return {};
  return textcode == 0 ? Utf16Bytes(*text) : Utf16ToAnsi(*text, replacement);
}

std::string FromAnsi(const std::optional<std::string>& text, int textcode) {
  if (!text) return {};
  return textcode == 0 ? Utf16Bytes(AnsiToUtf16(*text)) : *text;
}

}  // namespace

std::string TextRecordBytes(const emf::Record& record, int textcode) {
  const ByteReader reader = record.Reader();
  switch (record.type) {
    case emf::EMR_EXTTEXTOUTW: {
      const auto count = reader.U32(kExtTextCharsAt);
      const auto offset = reader.U32(kExtTextOffsetAt);
      if (!count || !offset) return {};
      // Characters the code page lacks become a blank.
      return FromWide(WideText(reader, *offset, *count), textcode, ' ');
    }
    case emf::EMR_EXTTEXTOUTA: {
      const auto count = reader.U32(kExtTextCharsAt);
      const auto offset = reader.U32(kExtTextOffsetAt);
      if (!count || !offset) return {};
      return FromAnsi(AnsiText(reader, *offset, *count), textcode);
    }
    case emf::EMR_SMALLTEXTOUT: {
      const auto count = reader.U32(kSmallTextCharsAt);
      const auto options = reader.U32(kSmallTextOptionsAt);
      if (!count || !options) return {};
      const size_t offset = (*options & kEtoNoRect) ? kSmallTextNoRectText : kSmallTextRectText;
      if (*options & kEtoSmallChars) return FromAnsi(AnsiText(reader, offset, *count), textcode);
      // Characters the code page lacks become its default character.
      return FromWide(WideText(reader, offset, *count), textcode, '?');
    }
    default:
      return {};
  }
}

}  // namespace velto
