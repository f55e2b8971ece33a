// Placeholder until the EMF page writer lands.
#include "spool/emf_page_writer.h"

namespace velto {
bool IsWindows2000() { return false; }
bool WriteEmfPage(const std::string&, std::string&, int, const SpoolJob&) { return false; }
}  // namespace velto
