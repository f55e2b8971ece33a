// Placeholder until the spool reader lands: no spool file is accepted yet.
#include "spool/emf_page_writer.h"
#include "spool/page_extraction.h"
#include "spool/spool_reader.h"
#include "spool/text_writer.h"

namespace velto {
bool CheckSpoolHeader(const std::string&, std::array<uint8_t, 6>&) { return false; }
bool ReadSpoolJob(const std::string&, SpoolJob& job) { job = SpoolJob{}; return false; }
bool MakeTempPageName(std::string& name) { name.clear(); return false; }
bool ExtractPage(const std::string&, const std::string&, int, SpoolJob&) { return false; }
bool IsWindows2000() { return false; }
bool WriteEmfPage(const std::string&, std::string&, int, const SpoolJob&) { return false; }
bool IsWindowsXP() { return false; }
bool WriteTextDocument(const std::string&, const std::string&, SpoolJob&, int) { return false; }
}  // namespace velto
