#pragma once
// What the writers of a job found wrong, so that nothing fails unseen: pages drawn from a damaged
// metafile (written as far as they go), pages left out or not written, and output files that could not be
// written, each with its reason.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "spool/setting_reader.h"

namespace velto {

struct WriteProblem {
  // Damaged: written as far as the damaged metafile goes; Unreadable: damaged beyond drawing, nothing of
  // the page was written; NotWritten: the output could not be written (a full disk, a missing folder).
  enum class Kind { Damaged, Unreadable, NotWritten };
  Kind kind = Kind::NotWritten;
  int page = 0;        // 1 … n; 0 for a document as a whole
  std::string file;    // the output file concerned
  std::string reason;  // in the reader's words: "No space left on device", "its metafile is cut short"
};

class WriteReport {
 public:
  // Page `page` was written as far as its damaged metafile goes.
  void Damaged(int page, std::string file, std::string reason);
  // Page `page`'s metafile cannot be read or drawn at all.
  void Unreadable(int page, std::string file, std::string reason);
  // Page `page` (0: the whole document) did not reach `file`.
  void NotWritten(int page, std::string file, std::string reason);

  const std::vector<WriteProblem>& Problems() const { return problems_; }
  bool Clean() const { return problems_.empty(); }
  // True when something was reported for the page (0: for the document as a whole).
  bool Mentions(int page) const;
  void Append(const WriteReport& other);

 private:
  std::vector<WriteProblem> problems_;
};

// What the dispatch hands every writer beside the job.
struct WriteContext {
  WriteReport report;
  // Job mode: the writers show the message boxes of the program, and page file names must fit the
  // program's 260-character name buffers. Otherwise (velto-convert) the caller reports in its own words
  // and names are limited by the file system alone.
  bool jobMode = true;
  // Raster page files drawn at this many dots per inch from the page's frame, instead of the screen
  // geometry of the rasterizer (velto-convert --dpi).
  std::optional<int> dpi;
  // Pages a document writer may draw at once (velto-convert -j); the document is the same either way.
  int threads = 1;
  // Called by the document writers after each page they have dealt with (page number), for progress.
  std::function<void(int page)> pageDone;
  // The writers' own keys (section "format"), read when each writer needs them.
  SettingReader readSetting;
  int Setting(std::string_view section, std::string_view key, int defaultValue) const {
    return ReadSetting(readSetting, section, key, defaultValue);
  }
};

}  // namespace velto
