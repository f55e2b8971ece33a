// Splitting a command line into arguments the way Windows programs split theirs.
#include "platform/shell.h"

namespace velto::platform {

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> arguments;
  std::string current;
  bool inQuotes = false;
  bool haveArgument = false;  // an empty pair of quotes still makes an (empty) argument
  const size_t n = commandLine.size();
  size_t i = 0;
  while (i < n) {
    char c = commandLine[i];
    if ((c == ' ' || c == '\t') && !inQuotes) {
      if (haveArgument) arguments.push_back(std::move(current));
      current.clear();
      haveArgument = false;
      ++i;
      continue;
    }
    haveArgument = true;
    if (c == '\\') {
      size_t run = 0;
      while (i + run < n && commandLine[i + run] == '\\') ++run;
      if (i + run < n && commandLine[i + run] == '"') {
        // 2n backslashes before a quote give n backslashes and a quote that groups; 2n+1 give n and a
        // literal quote.
        current.append(run / 2, '\\');
        if (run % 2 == 1) {
          current.push_back('"');
          i += run + 1;
        } else {
          i += run;  // the quote itself is handled next
        }
      } else {
        current.append(run, '\\');  // backslashes not before a quote stand for themselves
        i += run;
      }
      continue;
    }
    if (c == '"') {
      if (inQuotes && i + 1 < n && commandLine[i + 1] == '"') {
        // "" inside quotes is one literal quote, and ends the quoted part (the system's splitter does so;
        // the C runtime's newer rule of staying inside the quotes is not the one the system uses).
        current.push_back('"');
        inQuotes = false;
        i += 2;
        continue;
      }
      inQuotes = !inQuotes;
      ++i;
      continue;
    }
    current.push_back(c);
    ++i;
  }
  if (haveArgument) arguments.push_back(std::move(current));
  return arguments;
}

}  // namespace velto::platform
