#pragma once
// Writers that record their calls and write a small file (or fail, as told) in place of the real ones.

#include <set>
#include <string>
#include <vector>

#include "job/writer_table.h"
#include "platform/files.h"
#include "spool/page_file_name.h"
#include "tests/support/test_support.h"

namespace velto::test {

struct WriterCall {
  std::string writer;
  std::string outputPath;
  int page = 0;
};

class FakeWriters {
 public:
  FakeWriters() {
    auto page = [this](const char* name) {
      return [this, name](const std::string&, const std::string& out, int k, SpoolJob&, WriteContext& context) {
        if (damagedPages.count(k)) context.report.Damaged(k, MakePageFileName(out, k).value_or(out), "cut short");
        calls.push_back({name, out, k});
        if (failAll || failPages.count(k)) return false;
        WriteTextFile(MakePageFileName(out, k).value_or(out), name);
        return true;
      };
    };
    auto document = [this](const char* name) {
      return [this, name](const std::string&, const std::string& out, SpoolJob&, WriteContext& context) {
        for (int k : damagedPages) context.report.Damaged(k, out, "cut short");
        calls.push_back({name, out, 0});
        if (failAll) return false;
        WriteTextFile(out, name);
        return true;
      };
    };
    set.bmp = page("bmp");
    set.jpeg = page("jpeg");
    set.gif = page("gif");
    set.png = page("png");
    set.tiff = document("tiff");
    set.pdf = document("pdf");
    set.text = [this](const std::string&, const std::string& out, SpoolJob&, int textcode, WriteContext&) {
      calls.push_back({"text" + std::to_string(textcode), out, 0});
      if (failAll) return false;
      WriteTextFile(out, "text");
      return true;
    };
    set.makeTempPageName = [this](std::string& name) {
      name = tempDir.File("tmp" + std::to_string(++tempCount));
      WriteTextFile(name, "");
      return true;
    };
    set.extractPage = [this](const std::string&, const std::string& temp, int k, SpoolJob& job) {
      if (failExtraction.count(k)) return false;
      WriteTextFile(temp, "page");
      job.pageFile = temp;
      return true;
    };
    set.emf = [this](const std::string& pageFile, std::string& out, int k, const SpoolJob&, WriteContext&) {
      calls.push_back({"emf", out, k});
      out = MakePageFileName(out, k).value_or(out);
      platform::RemoveFile(pageFile);
      if (failAll || failPages.count(k)) return false;
      WriteTextFile(out, "emf");
      return true;
    };
  }

  WriterSet set;
  std::vector<WriterCall> calls;
  bool failAll = false;
  std::set<int> failPages;
  std::set<int> failExtraction;
  std::set<int> damagedPages;  // written, but reported as drawn from a damaged metafile
  TempDir tempDir;
  int tempCount = 0;
};

}  // namespace velto::test
