#pragma once
#include <string>

namespace velto {

// Makes a print job's document name fit for a file name, in place: a short ending (a dot and up to four
// characters, "Report.doc") is cut off, and every character that a file name cannot hold
// (" * . / : < > ? \ |) becomes "_".
void CleanDocumentName(std::string& name);

// Cuts `text` to at most `limit` bytes without splitting a UTF-8 character.
void CutToBytes(std::string& text, size_t limit);

}  // namespace velto
