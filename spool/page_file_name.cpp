#include "spool/page_file_name.h"

#include <cstdio>

namespace velto {

std::optional<std::string> MakePageFileName(const std::string& path, int k) {
  auto dot = path.rfind('.');
  if (dot == std::string::npos) return std::nullopt;
  if (k <= 1) return path;
  char number[16];
  std::snprintf(number, sizeof number, "_%03d", k);
  return path.substr(0, dot) + number + path.substr(dot);
}

}  // namespace velto
