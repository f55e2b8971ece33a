#pragma once
#include <cstdio>
#include <string>

#include "platform/emf/metafile.h"
#include "spool/spool_job.h"

namespace velto {

bool IsWindowsXP();
// Writes the text of every page into one file: UTF-16LE with a byte-order mark (textcode 0) or the ANSI
// code page (any other value).
bool WriteTextDocument(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job, int textcode);

// Where the text of the records goes: the open text file and its encoding (0: UTF-16LE, other: ANSI).
struct TextSink {
  std::FILE* file = nullptr;
  int textcode = 0;
  bool writeFailed = false;
};

// Appends the text of every text record of the page metafile `pageFile` to the sink. False when the file
// is no readable metafile. The page file is deleted in both cases.
bool ExtractPageText(const std::string& pageFile, const std::string& outputPath, TextSink& sink);
// Appends the text of one record; always 1 (go on with the next record).
int TextRecordProc(const emf::Record& record, TextSink& sink);

}  // namespace velto
