#include "tests/documents/document_test_tools.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sys/wait.h>

#include "spool/spool_file_writer.h"
#include "spool/spool_reader.h"
#include "tests/support/test_support.h"

namespace velto::test {

ToolResult RunTool(const std::string& commandLine) {
  ToolResult result;
  std::string full = commandLine + " 2>&1";
  FILE* pipe = ::popen(full.c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.output.append(buffer.data(), n);
  int status = ::pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string Quote(const std::string& argument) {
  std::string quoted = "'";
  for (char c : argument) {
    if (c == '\'') quoted += "'\\''";
    else quoted += c;
  }
  return quoted + "'";
}

bool ToolAvailable(const std::string& name) {
  return RunTool("command -v " + Quote(name) + " >/dev/null").exitCode == 0;
}

bool MakeSpoolJob(const std::string& spoolPath, int pages, SpoolJob& job) {
  std::vector<std::vector<uint8_t>> metafiles;
  for (int i = 1; i <= pages; ++i) {
    std::string label = "Page " + std::to_string(i);
    metafiles.push_back(SimplePage(std::u16string(label.begin(), label.end())));
  }
  return MakeSpoolJob(spoolPath, metafiles, job);
}

bool MakeSpoolJob(const std::string& spoolPath, const std::vector<std::vector<uint8_t>>& pages, SpoolJob& job) {
  if (!WriteSpoolFile(spoolPath, pages)) return false;
  return ReadSpoolJob(spoolPath, job) && job.pageCount == static_cast<int>(pages.size());
}

std::vector<std::vector<uint8_t>> PagesWithDamagedSecond() {
  auto rec = A4Recorder();
  rec.SelectObject(0xFFFFFFu);  // no such object
  rec.Polygon16(std::vector<emf::PointL>{{0, 0}, {100000000, -100000000}, {-5, 7}});
  rec.Add(emf::EMR_RECTANGLE, emf::RecordBytes().I32(0));  // record too short for its rectangle
  rec.Add(emf::EMR_EXTTEXTOUTW, emf::RecordBytes().Zeros(12).U32(0xFFFFFFFFu).Zeros(40));
  std::vector<uint8_t> damaged = rec.Finish();
  // And a record size in the middle that points past the end.
  if (damaged.size() > 200) damaged[damaged.size() - 60] = 0xFF;
  return {SimplePage(u"one"), damaged, SimplePage(u"three")};
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace velto::test
