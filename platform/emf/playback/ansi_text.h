#pragma once
// 8-bit text of EXTTEXTOUTA and small text records, decoded by the code page that the font's character
// set names (GBK for GB2312 fonts, windows-1252 for ANSI ones, ...).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velto::emf::playback {

// Decodes `bytes`; `unitBytes` receives, per UTF-16 unit, how many input bytes it came from (so that one
// advance per byte can be summed per character).
std::u16string DecodeAnsi(std::span<const uint8_t> bytes, uint8_t charSet, std::vector<int>* unitBytes = nullptr);

}  // namespace velto::emf::playback
