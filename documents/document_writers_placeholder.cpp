// Placeholder until the document writers land: no document is written yet.
#include "documents/document_writers.h"

namespace velto {
bool WriteTiffDocument(const std::string&, const std::string&, SpoolJob&) { return false; }
bool WritePdfDocument(const std::string&, const std::string&, SpoolJob&) { return false; }
}  // namespace velto
