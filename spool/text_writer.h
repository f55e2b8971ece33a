#pragma once
#include <cstdio>
#include <string>

#include "platform/emf/metafile.h"
#include "spool/spool_job.h"
#include "spool/write_report.h"

namespace velto {

bool IsWindowsXP();
// Writes the text of every page into one file, in one piece: UTF-16LE with a byte-order mark (textcode
// 0) or the ANSI code page (any other value). True when the file was written; pages that could not be
// read, and pages read from a damaged metafile, are reported in the context.
bool WriteTextDocument(const std::string& spoolPath, const std::string& outputPath, SpoolJob& job, int textcode,
                       WriteContext& context);

// Where the text of the records goes: the open text file and its encoding (0: UTF-16LE, other: ANSI).
struct TextSink {
  std::FILE* file = nullptr;
  int textcode = 0;
  bool writeFailed = false;
  int systemError = 0;  // errno of the first failed write
};

// Appends the text of every text record of the page metafile `pageFile` to the sink. False when the file
// is no readable metafile (`problem` then says why); a readable but damaged one gives its text as far as
// it goes and says what is wrong in `problem`. The page file is deleted in both cases.
bool ExtractPageText(const std::string& pageFile, const std::string& outputPath, TextSink& sink,
                     std::string* problem = nullptr);
// Appends the text of one record; always 1 (go on with the next record).
int TextRecordProc(const emf::Record& record, TextSink& sink);

}  // namespace velto
