#pragma once
// velto-convert: converts an EMF spool file or a single enhanced metafile into the format that the
// output path's extension names, with the same writers and page naming as job mode, but without its
// side effects: the input is never changed or deleted, nothing is launched or opened.
//
//   velto-convert [--ini FILE] [--set SECTION.KEY=VALUE]... INPUT OUTPUT
//   velto-convert [--ini FILE] [--set SECTION.KEY=VALUE]... --batch LIST
//
// Exit status: 0 everything written; 1 an input rejected or a page or document not written; 2 a usage
// error.

#include <iosfwd>
#include <string>
#include <vector>

namespace velto {

inline constexpr int kConvertOk = 0;
inline constexpr int kConvertFailed = 1;
inline constexpr int kConvertUsage = 2;

// `arguments` without the program name. Status lines of --batch go to `out`, messages to `err`.
int RunVeltoConvert(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

// One conversion; messages name the file and page. `progress`: report pages on `err` as they go.
int ConvertFile(const std::string& input, const std::string& output, std::ostream& err, bool progress);

// Splits one line of a batch list into its paths: blanks separate, double or single quotes group.
std::vector<std::string> SplitBatchLine(const std::string& line);

}  // namespace velto
