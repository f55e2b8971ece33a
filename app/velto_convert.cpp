#include "app/velto_convert.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <ostream>
#include <span>

#include "app/settings.h"
#include "job/conversion.h"
#include "job/writer_table.h"
#include "platform/files.h"
#include "platform/windows_directory.h"
#include "spool/page_file_name.h"
#include "spool/spool_file_writer.h"
#include "spool/spool_reader.h"

namespace velto {

namespace {

constexpr const char* kProgram = "velto-convert";
constexpr const char* kVersion = "1.0.0";
constexpr int kProgressFromPages = 10;  // smaller jobs finish before a progress line would help

constexpr const char* kUsage =
    "Usage: velto-convert [--ini FILE] [--set SECTION.KEY=VALUE]... INPUT OUTPUT\n"
    "       velto-convert [--ini FILE] [--set SECTION.KEY=VALUE]... --batch LIST\n"
    "\n"
    "Converts an EMF spool file (a print job of Velto Print) or a single enhanced metafile (.emf).\n"
    "The extension of OUTPUT picks the format, without regard to case:\n"
    "  .bmp .jpg .png .gif .emf   one file per page: OUTPUT, then NAME_002.EXT, NAME_003.EXT, ...\n"
    "  .tif                       one multi-page fax TIFF\n"
    "  .pdf                       one PDF document\n"
    "  .txt                       the text of every page\n"
    "INPUT is only read: it is never changed or deleted. Nothing is launched or opened.\n"
    "\n"
    "Options:\n"
    "  --ini FILE                 read the settings from FILE instead of VeltoFaxPrint.ini in the\n"
    "                             Windows directory ($VELTO_WINDIR, else ~/.velto)\n"
    "  --set SECTION.KEY=VALUE    override one setting, e.g. --set format.bmpcolor=0\n"
    "                             or --set format.textcode=1 (may be repeated)\n"
    "  --batch LIST               convert every 'INPUT OUTPUT' pair of LIST (one pair a line, paths\n"
    "                             with blanks in quotes, '#' starts a comment line); one status line\n"
    "                             per job on standard output\n"
    "  --help                     show this text\n"
    "  --version                  show the version\n"
    "\n"
    "Exit status: 0 all written, 1 an input rejected or a page or document not written, 2 usage error.\n";

// A file removed at the end of the scope.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
  ~TemporaryFile() {
    if (!path_.empty()) platform::RemoveFile(path_);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  TemporaryFile& operator=(TemporaryFile&& other) noexcept {
    std::swap(path_, other.path_);
    return *this;
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

enum class InputKind { Unreadable, SpoolFile, Metafile, Unknown };

uint32_t LittleEndian32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

// Recognised by content, never by name: a spool file starts with the spool header's version, a
// metafile with its header record and the " EMF" signature at offset 40.
InputKind RecogniseInput(const std::string& path) {
  std::ifstream file(platform::FsPath(path), std::ios::binary);
  if (!file) return InputKind::Unreadable;
  std::array<uint8_t, 44> head{};
  file.read(reinterpret_cast<char*>(head.data()), head.size());
  size_t got = static_cast<size_t>(file.gcount());
  if (got >= 8 && LittleEndian32(head.data()) == 0x00010000u) return InputKind::SpoolFile;
  if (got >= 44 && LittleEndian32(head.data()) == 1u && std::memcmp(head.data() + 40, " EMF", 4) == 0) {
    return InputKind::Metafile;
  }
  return InputKind::Unknown;
}

// A lone metafile becomes a one-page spool job in the temporary directory.
bool WrapMetafile(const std::string& input, TemporaryFile& wrapped, std::string& error) {
  std::ifstream file(platform::FsPath(input), std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!file.eof() && file.fail()) {
    error = "cannot read the metafile";
    return false;
  }
  std::string name;
  std::mt19937 random{std::random_device{}() ^ platform::ProcessId()};
  for (int attempt = 0; attempt < 100 && name.empty(); ++attempt) {
    char stem[32];
    std::snprintf(stem, sizeof stem, "velto-convert-%08X.spl", static_cast<unsigned>(random()));
    const std::string candidate = platform::TempDirectory() + platform::kPathSeparator + stem;
    if (platform::CreateNewFile(candidate, true)) name = candidate;
    else if (errno != EEXIST) break;
  }
  if (name.empty()) {
    error = "cannot make a temporary file in " + platform::TempDirectory() + ": " + platform::SystemErrorText(errno);
    return false;
  }
  wrapped = TemporaryFile(name);
  std::vector<std::vector<uint8_t>> pages;
  pages.push_back(std::move(bytes));
  if (!WriteSpoolFile(wrapped.Path(), pages)) {
    error = "cannot write a temporary file in " + platform::TempDirectory();
    return false;
  }
  return true;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(platform::FsPath(a), platform::FsPath(b), ec) && !ec;
}

std::string KnownExtensions() {
  size_t count = 0;
  const WriterRow* rows = WriterRows(count);
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    if (i) text += ' ';
    std::string extension = rows[i].extension;
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    text += extension;
  }
  return text;
}

void Complain(std::ostream& err, const std::string& file, const std::string& what) {
  err << kProgram << ": " << file << ": " << what << "\n";
}

int UsageError(std::ostream& err, const std::string& what) {
  err << kProgram << ": " << what << "\nTry 'velto-convert --help'.\n";
  return kConvertUsage;
}

}  // namespace

std::vector<std::string> SplitBatchLine(const std::string& line) {
  std::vector<std::string> fields;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i >= line.size()) break;
    std::string field;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
      char c = line[i];
      if (c == '"' || c == '\'') {
        size_t close = line.find(c, i + 1);
        if (close == std::string::npos) close = line.size();
        field.append(line, i + 1, close - i - 1);
        i = close + 1;
      } else {
        field.push_back(c);
        ++i;
      }
    }
    fields.push_back(std::move(field));
  }
  return fields;
}

int ConvertFile(const std::string& input, const std::string& output, std::ostream& err, bool progress) {
  auto writer = FindWriter(output);
  if (!writer) {
    return UsageError(err, output + ": unknown output type \"" + OutputExtension(output) + "\" (known: " +
                               KnownExtensions() + ")");
  }
  TemporaryFile wrapped;
  std::string spoolPath = input;
  if (platform::IsFolder(input)) {
    Complain(err, input, "is a folder; give an EMF spool file or an enhanced metafile");
    return kConvertFailed;
  }
  switch (RecogniseInput(input)) {
    case InputKind::Unreadable:
      Complain(err, input, std::string("cannot open: ") + std::strerror(errno));
      return kConvertFailed;
    case InputKind::Unknown:
      Complain(err, input, "neither an EMF spool file nor an enhanced metafile");
      return kConvertFailed;
    case InputKind::Metafile: {
      std::string error;
      if (!WrapMetafile(input, wrapped, error)) {
        Complain(err, input, error);
        return kConvertFailed;
      }
      spoolPath = wrapped.Path();
      break;
    }
    case InputKind::SpoolFile:
      break;
  }
  auto job = std::make_unique<SpoolJob>();
  if (!ReadSpoolJob(spoolPath, *job)) {
    Complain(err, input, "no pages found: not a print job in the EMF spool format");
    return kConvertFailed;
  }
  // The input is never written over, not even by a later page's file.
  int outputFiles = writer->kind == WriterKind::PerPage ? job->pageCount : 1;
  for (int k = 1; k <= outputFiles; ++k) {
    std::string name = MakePageFileName(output, k).value_or(output);
    if (SameFile(name, input)) {
      Complain(err, name, "is the input file; choose another output name");
      return kConvertFailed;
    }
  }

  bool showProgress = progress && job->pageCount >= kProgressFromPages;
  bool progressShown = false;
  ConversionCallbacks callbacks;
  callbacks.progress = [&](int k, int n) {
    if (!showProgress) return;
    if (k == 0) {
      err << kProgram << ": writing " << n << " pages to " << output << "\n";
    } else {
      err << "\r" << kProgram << ": page " << k << " of " << n << std::flush;
      progressShown = true;
    }
  };
  ConversionResult result = ConvertPages(spoolPath, output, *job, callbacks, false);
  if (progressShown) err << "\n";

  for (const WriteProblem& problem : result.report.Problems()) {
    err << kProgram << ": " << DescribeProblem(problem, input) << "\n";
  }
  return result.AllWritten() ? kConvertOk : kConvertFailed;
}

namespace {

int RunBatch(const std::string& listPath, std::ostream& out, std::ostream& err) {
  std::ifstream list(platform::FsPath(listPath));
  if (!list) {
    Complain(err, listPath, std::string("cannot open the batch list: ") + std::strerror(errno));
    return kConvertFailed;
  }
  bool anyFailed = false;
  std::string line;
  int lineNumber = 0;
  while (std::getline(list, line)) {
    ++lineNumber;
    auto fields = SplitBatchLine(line);
    if (fields.empty() || fields.front().starts_with("#")) continue;
    if (fields.size() != 2) {
      Complain(err, listPath + ":" + std::to_string(lineNumber), "expected INPUT OUTPUT");
      out << "failed       0 ms  line " << lineNumber << "\n";
      anyFailed = true;
      continue;
    }
    auto start = std::chrono::steady_clock::now();
    int status = ConvertFile(fields[0], fields[1], err, false);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    char timing[32];
    std::snprintf(timing, sizeof timing, "%6lld ms", static_cast<long long>(ms));
    out << (status == kConvertOk ? "ok      " : "failed  ") << timing << "  " << fields[0] << " -> " << fields[1]
        << std::endl;
    if (status != kConvertOk) anyFailed = true;
  }
  return anyFailed ? kConvertFailed : kConvertOk;
}

}  // namespace

int RunVeltoConvert(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  std::vector<std::string> positional;
  std::optional<std::string> batchList;
  std::optional<std::string> iniFile;
  std::vector<std::string> overrides;
  bool optionsEnded = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
      positional.push_back(a);
      continue;
    }
    auto value = [&](const char* option) -> std::optional<std::string> {
      if (i + 1 >= arguments.size()) return std::nullopt;
      (void)option;
      return arguments[++i];
    };
    if (a == "--") {
      optionsEnded = true;
    } else if (a == "--help" || a == "-h") {
      out << kUsage;
      return kConvertOk;
    } else if (a == "--version") {
      out << kProgram << " " << kVersion << "\n";
      return kConvertOk;
    } else if (a == "--ini") {
      iniFile = value("--ini");
      if (!iniFile) return UsageError(err, "--ini needs a FILE");
    } else if (a == "--set") {
      auto assignment = value("--set");
      if (!assignment) return UsageError(err, "--set needs SECTION.KEY=VALUE");
      overrides.push_back(*assignment);
    } else if (a == "--batch") {
      batchList = value("--batch");
      if (!batchList) return UsageError(err, "--batch needs a LIST file");
    } else {
      return UsageError(err, "unknown option " + a);
    }
  }

  ClearSettingOverrides();
  if (iniFile) {
    if (!std::ifstream(platform::FsPath(*iniFile))) return UsageError(err, *iniFile + ": cannot read the settings file");
    SetSettingsFile(*iniFile);
  }
  for (const auto& o : overrides) {
    if (!ParseSettingOverride(o)) return UsageError(err, "--set " + o + ": expected SECTION.KEY=VALUE");
  }

  if (batchList) {
    if (!positional.empty()) return UsageError(err, "--batch takes no INPUT OUTPUT of its own");
    return RunBatch(*batchList, out, err);
  }
  if (positional.size() != 2) return UsageError(err, "expected INPUT and OUTPUT");
  return ConvertFile(positional[0], positional[1], err, platform::IsTerminal(stderr));
}

}  // namespace velto
