#include "app/velto_convert.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <sstream>
#include <thread>

#include "app/convert_inputs.h"
#include "app/page_selection.h"
#include "app/progress_line.h"
#include "app/settings.h"
#include "job/conversion.h"
#include "job/writer_table.h"
#include "platform/files.h"
#include "spool/page_file_name.h"
#include "velto_version.h"

namespace velto {

namespace {

constexpr const char* kProgram = "velto-convert";

constexpr const char* kUsage =
    "Usage: velto-convert [OPTION]... INPUT... OUTPUT\n"
    "       velto-convert [OPTION]... --batch LIST\n"
    "\n"
    "Converts EMF spool files (print jobs of Velto Print) and enhanced metafiles (.emf) into OUTPUT.\n"
    "Several INPUTs go into one OUTPUT, their pages in the order given; '-' reads standard input.\n"
    "The extension of OUTPUT picks the format, without regard to case (or --format):\n"
    "  .bmp .jpg .jpeg .png .gif .emf  one file per page: OUTPUT, then NAME_002.EXT, NAME_003.EXT, ...\n"
    "  .tif .tiff                      one multi-page fax TIFF\n"
    "  .pdf                            one PDF document\n"
    "  .txt                            the text of every page\n"
    "INPUT is only read: it is never changed or deleted. Nothing is launched or opened.\n"
    "\n"
    "Options:\n"
    "  --pages LIST               only these pages, counted over all inputs: 1-3,7,10- (10 to the end)\n"
    "  --dpi N                    BMP, JPEG, PNG and GIF pages at N dots per inch from each page's frame\n"
    "                             (without it: the page geometry of the program's raster pages)\n"
    "  --format FMT               the format, whatever OUTPUT's extension: bmp jpg png gif emf tif pdf txt\n"
    "  -j N, --jobs N             convert N pages (or, with --batch, N jobs) at once; the files are the same\n"
    "                             as with -j 1 (default: the number of processors)\n"
    "  --ini FILE                 read the settings from FILE instead of VeltoFaxPrint.ini in the\n"
    "                             Windows directory ($VELTO_WINDIR, else ~/.velto)\n"
    "  --set SECTION.KEY=VALUE    override one setting, e.g. --set format.bmpcolor=0\n"
    "                             or --set format.textcode=1 (may be repeated)\n"
    "  --batch LIST               convert every 'INPUT OUTPUT' pair of LIST (one pair a line, paths\n"
    "                             with blanks in quotes, '#' starts a comment line); one status line\n"
    "                             per job on standard output, in the order of the list\n"
    "  --help                     show this text\n"
    "  --version                  show the version\n"
    "\n"
    "Exit status: 0 all written whole, 1 an input rejected or a page or document not written or damaged,\n"
    "2 usage error.\n";

// The formats by name, as --format and the extension of OUTPUT give them.
struct FormatName {
  const char* name;
  const char* tableExtension;  // the writer table's row
};
constexpr FormatName kFormatNames[] = {
    {"bmp", ".BMP"}, {"jpg", ".jpg"}, {"jpeg", ".jpg"}, {"png", ".png"}, {"gif", ".gif"},
    {"emf", ".EMF"}, {"tif", ".tif"}, {"tiff", ".tif"}, {"pdf", ".pdf"}, {"txt", ".txt"},
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::optional<WriterRow> WriterNamed(const std::string& name) {
  const std::string wanted = Lower(name);
  for (const FormatName& format : kFormatNames) {
    if (wanted == format.name) return FindWriter(std::string("x") + format.tableExtension);
  }
  return std::nullopt;
}

std::string KnownFormats() {
  std::string text;
  for (const FormatName& format : kFormatNames) text += std::string(text.empty() ? "" : " ") + format.name;
  return text;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(platform::FsPath(a), platform::FsPath(b), ec) && !ec;
}

void Complain(std::ostream& err, const std::string& file, const std::string& what) {
  err << kProgram << ": " << file << ": " << what << "\n";
}

int UsageError(std::ostream& err, const std::string& what) {
  err << kProgram << ": " << what << "\nTry 'velto-convert --help'.\n";
  return kConvertUsage;
}

// The keys of a section, or the sections when `section` is none of them, for a message.
std::string KnownKeysOf(std::string_view section) {
  std::string keys;
  std::string sections;
  const std::string wanted = Lower(std::string(section));
  for (const SettingKey& known : KnownSettingKeys()) {
    if (Lower(known.section) == wanted) keys.append(keys.empty() ? "" : " ").append(known.key);
    if (sections.find(known.section) == std::string::npos) sections.append(sections.empty() ? "" : " ").append(known.section);
  }
  std::string text = keys.empty() ? std::string("sections: ") : std::string("[").append(section).append("] has: ");
  return text.append(keys.empty() ? sections : keys);
}

int DefaultJobs() {
  const unsigned processors = std::thread::hardware_concurrency();
  return processors == 0 ? 1 : static_cast<int>(std::min(processors, 64u));
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

std::optional<WriterRow> OutputWriter(const std::string& output, const std::optional<std::string>& format) {
  if (format) return WriterNamed(*format);
  const std::string extension = OutputExtension(output);
  return extension.size() > 1 ? WriterNamed(extension.substr(1)) : std::nullopt;
}

int ConvertFiles(const std::vector<std::string>& inputs, const std::string& output, const ConvertOptions& options,
                 std::ostream& err) {
  const std::optional<WriterRow> writer = OutputWriter(output, options.format);
  if (!writer) {
    if (options.format) return UsageError(err, "--format " + *options.format + ": no such format (known: " + KnownFormats() + ")");
    std::string known;
    for (const FormatName& format : kFormatNames) known += std::string(known.empty() ? "." : " .") + format.name;
    return UsageError(err, output + ": unknown output type \"" + OutputExtension(output) + "\" (known: " + known + ")");
  }
  const bool raster = writer->id == WriterId::Bmp || writer->id == WriterId::Jpeg || writer->id == WriterId::Png ||
                      writer->id == WriterId::Gif;
  if (options.dpi && !raster) return UsageError(err, "--dpi is for BMP, JPEG, PNG and GIF pages");

  std::vector<ConvertInput> prepared(inputs.size());
  for (size_t i = 0; i < inputs.size(); ++i) {
    std::string error;
    if (!PrepareInput(inputs[i], prepared[i], error)) {
      Complain(err, inputs[i], error);
      return kConvertFailed;
    }
  }

  // The pages to convert, in order: every page of every input, or those that --pages names.
  std::vector<PageSource> pages;
  for (size_t i = 0; i < prepared.size(); ++i) {
    for (int k = 1; k <= prepared[i].job->pageCount; ++k) pages.emplace_back(i, k);
  }
  if (options.pages) {
    std::string error;
    auto selected = options.pages->Resolve(static_cast<int>(pages.size()), error);
    if (!selected) return UsageError(err, "--pages: " + error);
    std::vector<PageSource> chosen;
    for (int n : *selected) chosen.push_back(pages[static_cast<size_t>(n) - 1]);
    pages = std::move(chosen);
  }
  const int totalPages = static_cast<int>(pages.size());
  if (totalPages > kMaxSpoolPages) {
    Complain(err, output, "more than " + std::to_string(kMaxSpoolPages) + " pages in one output");
    return kConvertFailed;
  }

  // One input's pages in their order are converted from the input itself; anything else from one job
  // made of the pages.
  bool direct = prepared.size() == 1 && totalPages == prepared[0].job->pageCount;
  for (int n = 0; direct && n < totalPages; ++n) direct = pages[static_cast<size_t>(n)].second == n + 1;
  TemporaryFile combined;
  std::string spoolPath = prepared.empty() ? std::string() : prepared[0].spoolPath;
  auto combinedJob = std::make_unique<SpoolJob>();
  SpoolJob* job = prepared.empty() ? combinedJob.get() : prepared[0].job.get();
  if (!direct) {
    std::string error;
    if (!CombinePages(prepared, pages, combined, *combinedJob, error)) {
      Complain(err, output, error);
      return kConvertFailed;
    }
    spoolPath = combined.Path();
    job = combinedJob.get();
  }

  // No input is ever written over, not even by a later page's file.
  const int outputFiles = writer->kind == WriterKind::PerPage ? totalPages : 1;
  for (int k = 1; k <= outputFiles; ++k) {
    const std::string name = MakePageFileName(output, k).value_or(output);
    for (const std::string& input : inputs) {
      if (input != "-" && SameFile(name, input)) {
        Complain(err, name, "is an input file; choose another output name");
        return kConvertFailed;
      }
    }
  }

  ProgressLine progress(err, options.progress && totalPages > 1, kProgram);
  ConversionCallbacks callbacks;
  callbacks.pageDone = [&](int done, int n, const std::string& file) { progress.Update(done, n, file); };
  ConversionOptions conversion;
  conversion.jobMode = false;
  conversion.writer = writer;
  conversion.dpi = options.dpi;
  conversion.threads = options.jobs;
  ConversionResult result = ConvertPages(spoolPath, output, *job, callbacks, conversion);
  progress.Finish();

  const std::string source = inputs.size() == 1 ? (inputs[0] == "-" ? std::string("standard input") : inputs[0])
                                                 : std::string();
  for (const WriteProblem& problem : result.report.Problems()) {
    err << kProgram << ": " << DescribeProblem(problem, source) << "\n";
  }
  return result.AllWritten() ? kConvertOk : kConvertFailed;
}

int ConvertFile(const std::string& input, const std::string& output, std::ostream& err, bool progress) {
  ConvertOptions options;
  options.progress = progress;
  return ConvertFiles({input}, output, options, err);
}

namespace {

struct BatchJob {
  int lineNumber = 0;
  std::vector<std::string> fields;
};

// Converts every job of the list, `jobs` at a time (each job's pages one after another, so that at most
// `jobs` pages are in flight; the outcomes waiting to be reported are a few lines each). Messages and status lines come out in the order of the list.
int RunBatch(const std::string& listPath, const ConvertOptions& options, std::ostream& out, std::ostream& err) {
  std::ifstream list(platform::FsPath(listPath));
  if (!list) {
    Complain(err, listPath, std::string("cannot open the batch list: ") + std::strerror(errno));
    return kConvertFailed;
  }
  std::vector<BatchJob> jobs;
  std::string line;
  int lineNumber = 0;
  while (std::getline(list, line)) {
    ++lineNumber;
    auto fields = SplitBatchLine(line);
    if (fields.empty() || fields.front().starts_with("#")) continue;
    jobs.push_back({lineNumber, std::move(fields)});
  }

  struct Outcome {
    int status = kConvertOk;
    long long ms = 0;
    std::string messages;
  };
  ConvertOptions each = options;
  each.jobs = 1;
  each.progress = false;
  auto run = [&](const BatchJob& job) {
    Outcome outcome;
    std::ostringstream messages;
    if (job.fields.size() != 2) {
      Complain(messages, listPath + ":" + std::to_string(job.lineNumber), "expected INPUT OUTPUT");
      outcome.status = kConvertFailed;
    } else {
      const auto start = std::chrono::steady_clock::now();
      outcome.status = ConvertFiles({job.fields[0]}, job.fields[1], each, messages);
      outcome.ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    }
    outcome.messages = messages.str();
    return outcome;
  };
  auto report = [&](const BatchJob& job, const Outcome& outcome) {
    err << outcome.messages << std::flush;
    char timing[32];
    std::snprintf(timing, sizeof timing, "%6lld ms", outcome.ms);
    if (job.fields.size() != 2) {
      out << "failed       0 ms  line " << job.lineNumber << std::endl;
    } else {
      out << (outcome.status == kConvertOk ? "ok      " : "failed  ") << timing << "  " << job.fields[0] << " -> "
          << job.fields[1] << std::endl;
    }
  };

  // Workers take the next job as soon as they are free; the outcomes are reported in the order of the
  // list as they become available, so a long job does not hold up the others.
  bool anyFailed = false;
  const size_t workers = std::min(static_cast<size_t>(std::max(1, options.jobs)), std::max<size_t>(jobs.size(), 1));
  std::vector<std::optional<Outcome>> outcomes(jobs.size());
  std::mutex mutex;
  std::condition_variable finished;
  size_t next = 0;
  auto work = [&] {
    for (;;) {
      size_t i = 0;
      {
        std::lock_guard lock(mutex);
        if (next >= jobs.size()) return;
        i = next++;
      }
      Outcome outcome = run(jobs[i]);
      std::lock_guard lock(mutex);
      outcomes[i] = std::move(outcome);
      finished.notify_all();
    }
  };
  std::vector<std::thread> pool;
  if (workers > 1) {
    for (size_t t = 0; t < workers; ++t) pool.emplace_back(work);
  }
  for (size_t i = 0; i < jobs.size(); ++i) {
    Outcome outcome;
    if (workers > 1) {
      std::unique_lock lock(mutex);
      finished.wait(lock, [&] { return outcomes[i].has_value(); });
      outcome = std::move(*outcomes[i]);
      outcomes[i].reset();
    } else {
      outcome = run(jobs[i]);
    }
    report(jobs[i], outcome);
    if (outcome.status != kConvertOk) anyFailed = true;
  }
  for (auto& thread : pool) thread.join();
  return anyFailed ? kConvertFailed : kConvertOk;
}

std::optional<int> PositiveNumber(const std::string& text, int limit) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > limit) return std::nullopt;
  return value;
}

}  // namespace

int RunVeltoConvert(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  std::vector<std::string> positional;
  std::optional<std::string> batchList;
  std::optional<std::string> iniFile;
  std::vector<std::string> overrides;
  ConvertOptions options;
  options.jobs = DefaultJobs();
  bool optionsEnded = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
      positional.push_back(a);
      continue;
    }
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= arguments.size()) return std::nullopt;
      return arguments[++i];
    };
    if (a == "--") {
      optionsEnded = true;
    } else if (a == "--help" || a == "-h") {
      out << kUsage;
      return kConvertOk;
    } else if (a == "--version") {
      out << kProgram << " " << kProjectVersion << "\n";
      return kConvertOk;
    } else if (a == "--ini") {
      iniFile = value();
      if (!iniFile) return UsageError(err, "--ini needs a FILE");
    } else if (a == "--set") {
      auto assignment = value();
      if (!assignment) return UsageError(err, "--set needs SECTION.KEY=VALUE");
      overrides.push_back(*assignment);
    } else if (a == "--batch") {
      batchList = value();
      if (!batchList) return UsageError(err, "--batch needs a LIST file");
    } else if (a == "--pages") {
      auto text = value();
      if (!text) return UsageError(err, "--pages needs a LIST of pages, e.g. 1-3,7");
      std::string error;
      options.pages = PageSelection::Parse(*text, error);
      if (!options.pages) return UsageError(err, "--pages " + *text + ": " + error);
    } else if (a == "--dpi") {
      auto text = value();
      options.dpi = text ? PositiveNumber(*text, 4800) : std::nullopt;
      if (!options.dpi) return UsageError(err, "--dpi needs a number of dots per inch from 1 to 4800");
    } else if (a == "--format") {
      options.format = value();
      if (!options.format) return UsageError(err, "--format needs one of: " + KnownFormats());
      if (!WriterNamed(*options.format)) {
        return UsageError(err, "--format " + *options.format + ": no such format (known: " + KnownFormats() + ")");
      }
    } else if (a == "-j" || a == "--jobs" || (a.starts_with("-j") && a.size() > 2)) {
      auto text = a.size() > 2 && a[1] == 'j' ? std::optional(a.substr(2)) : value();
      auto jobs = text ? PositiveNumber(*text, 256) : std::nullopt;
      if (!jobs) return UsageError(err, "-j needs a number of pages (or jobs) at once, from 1 to 256");
      options.jobs = *jobs;
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
    const auto equals = o.find('=');
    const auto dot = o.substr(0, equals).find('.');
    if (equals != std::string::npos && dot != std::string::npos &&
        !IsKnownSetting(std::string_view(o).substr(0, dot), std::string_view(o).substr(dot + 1, equals - dot - 1))) {
      return UsageError(err, "--set " + o + ": the settings file has no such key (" + KnownKeysOf(o.substr(0, dot)) + ")");
    }
    if (!ParseSettingOverride(o)) return UsageError(err, "--set " + o + ": expected SECTION.KEY=VALUE");
  }

  if (batchList) {
    if (!positional.empty()) return UsageError(err, "--batch takes no INPUT OUTPUT of its own");
    if (options.pages) return UsageError(err, "--pages does not go with --batch");
    return RunBatch(*batchList, options, out, err);
  }
  if (positional.size() < 2) return UsageError(err, "expected INPUT and OUTPUT");
  if (std::count(positional.begin(), positional.end() - 1, std::string("-")) > 1) {
    return UsageError(err, "standard input ('-') can be read only once");
  }
  options.progress = platform::IsTerminal(stderr);
  const std::string output = positional.back();
  positional.pop_back();
  return ConvertFiles(positional, output, options, err);
}

}  // namespace velto
