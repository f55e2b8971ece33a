#pragma once
// One progress line on a terminal, redrawn in place: pages done of the total, pages per second and the
// file of the last page. Nothing at all when standard error is no terminal.

#include <chrono>
#include <ostream>
#include <string>

namespace velto {

class ProgressLine {
 public:
  ProgressLine(std::ostream& out, bool enabled, std::string program);
  ~ProgressLine() { Finish(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Redrawn at most ten times a second, and always for the last page.
  void Update(int done, int total, const std::string& file);
  // Clears the line, so that what is written next starts on an empty line.
  void Finish();

 private:
  std::ostream& out_;
  bool enabled_;
  bool shown_ = false;
  std::string program_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point lastDrawn_{};
};

}  // namespace velto
