#include "spool/write_report.h"

#include <algorithm>
#include <utility>

namespace velto {

void WriteReport::Damaged(int page, std::string file, std::string reason) {
  problems_.push_back({WriteProblem::Kind::Damaged, page, std::move(file), std::move(reason)});
}

void WriteReport::Unreadable(int page, std::string file, std::string reason) {
  problems_.push_back({WriteProblem::Kind::Unreadable, page, std::move(file), std::move(reason)});
}

void WriteReport::NotWritten(int page, std::string file, std::string reason) {
  problems_.push_back({WriteProblem::Kind::NotWritten, page, std::move(file), std::move(reason)});
}

bool WriteReport::Mentions(int page) const {
  return std::any_of(problems_.begin(), problems_.end(), [page](const WriteProblem& p) { return p.page == page; });
}

void WriteReport::Append(const WriteReport& other) {
  problems_.insert(problems_.end(), other.problems_.begin(), other.problems_.end());
}

}  // namespace velto
