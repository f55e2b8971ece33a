#pragma once
// A C stdio stream that closes itself on every way out.

#include <cstdio>
#include <memory>
#include <string>

namespace velto {

struct StdioFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using StdioFile = std::unique_ptr<std::FILE, StdioFileCloser>;

inline StdioFile OpenStdioFile(const std::string& path, const char* mode) {
  return StdioFile(std::fopen(path.c_str(), mode));
}

}  // namespace velto
