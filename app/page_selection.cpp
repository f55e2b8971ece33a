#include "app/page_selection.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace velto {
namespace {

std::optional<int> PageNumber(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 1) return std::nullopt;
  return value;
}

}  // namespace

std::optional<PageSelection> PageSelection::Parse(const std::string& text, std::string& error) {
  PageSelection selection;
  std::string_view rest = text;
  while (true) {
    const size_t comma = rest.find(',');
    const std::string_view item = rest.substr(0, comma);
    const size_t dash = item.find('-');
    Range range;
    std::optional<int> first = PageNumber(dash == std::string_view::npos ? item : item.substr(0, dash));
    if (!first) {
      error = "\"" + std::string(item) + "\" is no page number or range (pages count from 1: 1-3,7,10-)";
      return std::nullopt;
    }
    range.first = *first;
    if (dash == std::string_view::npos) {
      range.last = *first;
    } else if (dash + 1 < item.size()) {
      range.last = PageNumber(item.substr(dash + 1));
      if (!range.last || *range.last < range.first) {
        error = "\"" + std::string(item) + "\" is no page range (pages count from 1: 1-3,7,10-)";
        return std::nullopt;
      }
    }
    selection.ranges_.push_back(range);
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return selection;
}

std::optional<std::vector<int>> PageSelection::Resolve(int pageCount, std::string& error) const {
  std::vector<int> pages;
  for (const Range& range : ranges_) {
    const int last = range.last.value_or(pageCount);
    if (range.first > pageCount || last > pageCount) {
      error = "page " + std::to_string(std::max(range.first, last)) + " is past the last page: the input has " +
              std::to_string(pageCount) + (pageCount == 1 ? " page" : " pages");
      return std::nullopt;
    }
    for (int k = range.first; k <= last; ++k) pages.push_back(k);
  }
  return pages;
}

}  // namespace velto
