#pragma once
// The program the user names in section [run] of the settings: launched once before a conversion, or
// after every saved page or document, optionally with the document name, page number and file path.

#include <string>

#include "platform/shell.h"

namespace velto {

// CmdShow: 0 normal window, 1 minimised, any other value hidden.
platform::ShowCommand ShowCommandFor(int cmdShow);

// The parameter text of the after-save launch for page k: the switched-on items (document name, page
// number, page file path), each in double quotes, side by side without separators. Reads the settings.
std::string AfterSaveParameters(const std::string& documentName, int k, const std::string& outputPath);

// Launches the program once, before the job is read (PrintTime 0).
void RunBeforeConversion();
// Launches the program after page k (or the document, k = 1) was saved (PrintTime 1).
void RunAfterSave(const std::string& documentName, int k, const std::string& outputPath);

}  // namespace velto
