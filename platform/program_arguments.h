#pragma once
// What the program was started with, in UTF-8: its arguments, and the raw text of its command line after
// the program's name (the framework's m_lpCmdLine). Windows gives them from the wide command line, so a
// document name in Chinese arrives whole whatever the system's code page; elsewhere argv is the truth and
// the command text is its words joined by single blanks.

#include <string>
#include <vector>

namespace velto::platform {

// The arguments after the program's name.
std::vector<std::string> ProgramArguments(int argc, const char* const* argv);
// The command text after the program's name, leading blanks skipped.
std::string ProgramCommandText(int argc, const char* const* argv);

// Standard output and error carry UTF-8 to the terminal or console (the console's code page is set on
// Windows). A program without a console (started by the print processor) keeps its messages in
// VeltoFaxTool.log in the temporary directory instead of losing them.
void PrepareStandardStreams(bool keepMessagesWithoutConsole);

}  // namespace velto::platform
