#pragma once
#include <optional>
#include <string>

namespace velto {

// Page 1 keeps the path; page k ≥ 2 gets "_" and k with at least three digits before the extension
// (report.bmp → report_002.bmp). No value for a path without a ".".
std::optional<std::string> MakePageFileName(const std::string& path, int k);

}  // namespace velto
