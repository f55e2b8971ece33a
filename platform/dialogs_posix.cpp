// Modal dialogs on the terminal: the Save dialog asks for a name and a file type, message boxes print
// their caption and text and read the answer. Without a terminal nothing can be asked: the Save dialog
// is cancelled, questions take No and messages go to standard error.
#include "platform/dialogs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

namespace velto::platform {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using TerminalFile = std::unique_ptr<std::FILE, FileCloser>;

TerminalFile OpenTerminal() { return TerminalFile(std::fopen("/dev/tty", "r+")); }

// One line from the terminal without its end; no value at end of input (Ctrl-D).
std::optional<std::string> ReadLine(std::FILE* tty) {
  std::fflush(tty);
  std::string line;
  for (;;) {
    int c = std::fgetc(tty);
    if (c == EOF) {
      if (line.empty()) return std::nullopt;
      return line;
    }
    if (c == '\n') return line;
    line.push_back(static_cast<char>(c));
  }
}

std::string Trim(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.pop_back();
  size_t start = text.find_first_not_of(" \t");
  return start == std::string::npos ? std::string() : text.substr(start);
}

// Yes/No from the terminal: "y", "yes", "是" are Yes; "n", "no", "否" and the end of input are No.
int AskYesNo(std::FILE* tty) {
  for (;;) {
    std::fputs("是(Y) / 否(N)? ", tty);
    auto line = ReadLine(tty);
    if (!line) return IDNO;
    std::string answer = Trim(*line);
    for (char& c : answer) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (answer == "y" || answer == "yes" || answer == "是") return IDYES;
    if (answer == "n" || answer == "no" || answer == "否") return IDNO;
  }
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

// A typed name made into a full path: "~/" is the home folder, a relative name is in the current folder.
std::string FullPath(const std::string& typed) {
  if (typed.starts_with("~/")) {
    if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + typed.substr(1);
  }
  if (!typed.empty() && typed.front() == '/') return typed;
  char buffer[4096];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return typed;
  std::string cwd = buffer;
  if (cwd.empty() || cwd.back() != '/') cwd.push_back('/');
  return cwd + typed;
}

std::string FolderOf(const std::string& path) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

class TerminalDialogHost : public DialogHost {
 public:
  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override {
    bool question = (style & 0xF) == MB_YESNO;
    auto tty = OpenTerminal();
    if (!tty) {
      std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
      return question ? IDNO : IDOK;
    }
    std::fprintf(tty.get(), "\n[%s]\n%s\n", caption.c_str(), text.c_str());
    if (question) return AskYesNo(tty.get());
    std::fputs("[确定: Enter] ", tty.get());
    ReadLine(tty.get());
    return IDOK;
  }

  SaveDialogResult SaveDialog(const SaveDialogRequest& request) override {
    auto tty = OpenTerminal();
    if (!tty) return {};
    std::FILE* out = tty.get();
    size_t current = 0;  // no type is preselected: the first one is current
    std::string initial = request.initialName;
    for (;;) {
      std::fprintf(out, "\n[%s]\n", request.caption.c_str());
      for (size_t i = 0; i < request.typeNames.size(); ++i) {
        std::fprintf(out, "  %zu) %s%s\n", i + 1, request.typeNames[i].c_str(), i == current ? "  *" : "");
      }
      for (size_t i = 0; i < request.strip.size(); ++i) {
        std::fprintf(out, "  !%zu) %s\n", i + 1, request.strip[i].text.c_str());
      }
      std::fprintf(out, "文件名 [%s] (Ctrl-D 取消): ", initial.c_str());
      auto line = ReadLine(out);
      if (!line) return {};
      std::string typed = Trim(*line);
      if (typed.size() > 1 && typed.front() == '!') {
        size_t index = std::strtoul(typed.c_str() + 1, nullptr, 10);
        if (index >= 1 && index <= request.strip.size() && request.strip[index - 1].activate) {
          request.strip[index - 1].activate();
        }
        continue;
      }
      if (typed.empty()) typed = initial;
      if (typed.empty()) continue;
      if (!request.typeNames.empty()) {
        std::fprintf(out, "文件类型 [1-%zu, Enter = %zu]: ", request.typeNames.size(), current + 1);
        auto typeLine = ReadLine(out);
        if (!typeLine) return {};
        std::string choice = Trim(*typeLine);
        if (!choice.empty()) {
          size_t index = std::strtoul(choice.c_str(), nullptr, 10);
          if (index >= 1 && index <= request.typeNames.size()) current = index - 1;
        }
      }
      std::string path = FullPath(typed);
      if ((request.flags & OFN_PATHMUSTEXIST) && !IsDirectory(FolderOf(path))) {
        std::fprintf(out, "%s\n路径不存在。\n", FolderOf(path).c_str());
        initial = typed;
        continue;
      }
      if ((request.flags & OFN_OVERWRITEPROMPT) && Exists(path)) {
        std::fprintf(out, "%s 已存在。\n要替换它吗？\n", path.c_str());
        if (AskYesNo(out) != IDYES) {
          initial = typed;
          continue;
        }
      }
      SaveDialogResult result;
      result.ok = true;
      result.path = path;
      if (current < request.typeNames.size()) result.typeText = request.typeNames[current];
      return result;
    }
  }
};

}  // namespace

DialogHost& SystemDialogHost() {
  static TerminalDialogHost terminalHost;
  return terminalHost;
}

}  // namespace velto::platform
