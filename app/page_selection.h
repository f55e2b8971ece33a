#pragma once
// The pages that velto-convert --pages names: "1-3,7", "5-" (to the last page), numbers from 1.

#include <optional>
#include <string>
#include <vector>

namespace velto {

class PageSelection {
 public:
  // No value, with the reason in `error`, for text that names no pages.
  static std::optional<PageSelection> Parse(const std::string& text, std::string& error);
  // The pages of a job of `pageCount` pages in the order named; no value, with the reason naming the page
  // count, when a page lies past the last one.
  std::optional<std::vector<int>> Resolve(int pageCount, std::string& error) const;

 private:
  struct Range {
    int first = 1;
    std::optional<int> last;  // none: to the last page
  };
  std::vector<Range> ranges_;
};

}  // namespace velto
