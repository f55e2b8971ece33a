#include "platform/program_arguments.h"

namespace velto::platform {

std::vector<std::string> ProgramArguments(int argc, const char* const* argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

std::string ProgramCommandText(int argc, const char* const* argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text.push_back(' ');
    text += argv[i];
  }
  const size_t start = text.find_first_not_of(" \t");
  return start == std::string::npos ? std::string() : text.substr(start);
}

void PrepareStandardStreams(bool) {}

}  // namespace velto::platform
