#include "app/progress_line.h"

#include <cstdio>

namespace velto {

ProgressLine::ProgressLine(std::ostream& out, bool enabled, std::string program)
    : out_(out), enabled_(enabled), program_(std::move(program)) {}

void ProgressLine::Update(int done, int total, const std::string& file) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (done < total && now - lastDrawn_ < std::chrono::milliseconds(100)) return;
  lastDrawn_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  char rate[32];
  std::snprintf(rate, sizeof rate, "%.1f", seconds > 0 ? done / seconds : 0.0);
  // Carriage return and erase-to-end-of-line: the line is drawn again where it stands.
  out_ << "\r\33[K" << program_ << ": " << done << " of " << total << " pages, " << rate << " pages/s, " << file
       << std::flush;
  shown_ = true;
}

void ProgressLine::Finish() {
  if (!shown_) return;
  out_ << "\r\33[K" << std::flush;
  shown_ = false;
}

}  // namespace velto
