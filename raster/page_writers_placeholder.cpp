// Placeholder until the raster writers land: no format writes anything yet.
#include "raster/page_writers.h"

namespace velto {
bool WriteBmpPage(const std::string&, const std::string&, int, SpoolJob&) { return false; }
bool WriteJpegPage(const std::string&, const std::string&, int, SpoolJob&) { return false; }
bool WritePngPage(const std::string&, const std::string&, int, SpoolJob&) { return false; }
bool WriteGifPage(const std::string&, const std::string&, int, SpoolJob&) { return false; }
}  // namespace velto
