#pragma once
// The text that one metafile record adds to a text document: the strings of EMR_EXTTEXTOUTW,
// EMR_EXTTEXTOUTA and EMR_SMALLTEXTOUT, nothing for every other record.

#include <string>

#include "platform/emf/metafile.h"

namespace velto {

inline constexpr uint32_t kEtoNoRect = 0x100;
inline constexpr uint32_t kEtoSmallChars = 0x200;

// The bytes to append for `record`: UTF-16LE code units when `textcode` is 0, code page 936 otherwise.
// A string ends at its first zero character. A record whose count or offset reaches outside the record
// adds nothing.
std::string TextRecordBytes(const emf::Record& record, int textcode);

}  // namespace velto
