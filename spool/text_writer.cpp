// Placeholder until the text writer lands.
#include "spool/text_writer.h"

namespace velto {
bool IsWindowsXP() { return false; }
bool WriteTextDocument(const std::string&, const std::string&, SpoolJob&, int) { return false; }
}  // namespace velto
