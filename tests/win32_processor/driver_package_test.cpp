// The driver package driver/VeltoPrinter.inf and its printer description VELTOFAX.GPD.
//
// The INF is read with the system's own INF parser (SetupAPI), section by section and key by key as the
// printer class installer reads it. The GPD is read by a parser of this test: the syntax of GPD entries,
// and for every feature and option the attributes the GPD documentation requires; a key the checks do not
// know fails the test, so a new key comes with its check.
#include "processor_test_support.h"

#include <gtest/gtest.h>
#include <setupapi.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

namespace vtproc_test {
namespace {

std::filesystem::path DriverDir() { return SourceDir() / "driver"; }

// ---- INF ------------------------------------------------------------------------------------------

class Inf {
 public:
  explicit Inf(const std::filesystem::path& path) {
    UINT errorLine = 0;
    inf_ = ::SetupOpenInfFileW(path.c_str(), nullptr, INF_STYLE_WIN4, &errorLine);
    if (inf_ == INVALID_HANDLE_VALUE) error_ = "error " + std::to_string(::GetLastError()) + " at line " + std::to_string(errorLine);
  }
  ~Inf() {
    if (inf_ != INVALID_HANDLE_VALUE) ::SetupCloseInfFile(inf_);
  }
  Inf(const Inf&) = delete;
  Inf& operator=(const Inf&) = delete;
  bool Open() const { return inf_ != INVALID_HANDLE_VALUE; }
  const std::string& Error() const { return error_; }

  // Every line of `section`: its key (field 0, empty without one) and its fields, strings substituted.
  std::vector<std::vector<std::string>> Lines(const std::wstring& section) const {
    std::vector<std::vector<std::string>> lines;
    INFCONTEXT context;
    if (!::SetupFindFirstLineW(inf_, section.c_str(), nullptr, &context)) return lines;
    do {
      lines.push_back(Fields(context));
    } while (::SetupFindNextLine(&context, &context));
    return lines;
  }
  // The fields (without the key) of the line `key` of `section`; none when the line is missing.
  std::optional<std::vector<std::string>> Value(const std::wstring& section, const std::wstring& key) const {
    INFCONTEXT context;
    if (!::SetupFindFirstLineW(inf_, section.c_str(), key.c_str(), &context)) return std::nullopt;
    auto fields = Fields(context);
    fields.erase(fields.begin());
    return fields;
  }
  std::string Single(const std::wstring& section, const std::wstring& key) const {
    auto value = Value(section, key);
    if (value && value->size() == 1) return (*value)[0];
    std::string missing = Utf8(section);
    missing.append(".").append(Utf8(key)).append(" missing");
    return missing;
  }

 private:
  static std::vector<std::string> Fields(INFCONTEXT& context) {
    std::vector<std::string> fields;
    const DWORD count = ::SetupGetFieldCount(&context);
    for (DWORD i = 0; i <= count; ++i) {
      wchar_t buffer[1024];
      DWORD needed = 0;
      fields.push_back(::SetupGetStringFieldW(&context, i, buffer, 1024, &needed) ? Utf8(buffer) : std::string());
    }
    return fields;
  }

  HINF inf_ = INVALID_HANDLE_VALUE;
  std::string error_;
};

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

class DriverPackage : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(inf.Open()) << DriverDir() / "VeltoPrinter.inf" << ": " << inf.Error(); }
  Inf inf{DriverDir() / "VeltoPrinter.inf"};
};

TEST_F(DriverPackage, IsAPrinterClassPackage) {
  EXPECT_EQ(Upper(inf.Single(L"Version", L"Signature")), "$WINDOWS NT$");
  EXPECT_EQ(inf.Single(L"Version", L"Class"), "Printer");
  EXPECT_EQ(Upper(inf.Single(L"Version", L"ClassGUID")), "{4D36E979-E325-11CE-BFC1-08002BE10318}");
  EXPECT_EQ(inf.Single(L"Version", L"Provider"), "Velto");
  auto driverVer = inf.Value(L"Version", L"DriverVer");
  ASSERT_TRUE(driverVer && driverVer->size() == 2);
  EXPECT_TRUE(std::regex_match((*driverVer)[0], std::regex(R"((0[1-9]|1[0-2])/(0[1-9]|[12]\d|3[01])/\d{4})")))
      << (*driverVer)[0];
  EXPECT_TRUE(std::regex_match((*driverVer)[1], std::regex(R"(\d+\.\d+\.\d+\.\d+)"))) << (*driverVer)[1];
  EXPECT_EQ(inf.Single(L"DestinationDirs", L"DefaultDestDir"), "66000");  // the printer driver directory
}

// The model "Velto Print" for Windows 2000 (undecorated), the environment "Windows NT x86" (NTx86) and x64
// (NTamd64), each installing our GPD on the system's Unidrv.
TEST_F(DriverPackage, InstallsTheModelOnUnidrvForBothArchitectures) {
  auto manufacturers = inf.Lines(L"Manufacturer");
  ASSERT_EQ(manufacturers.size(), 1u);
  const auto& manufacturer = manufacturers[0];
  ASSERT_GE(manufacturer.size(), 4u);
  EXPECT_EQ(manufacturer[0], "Velto");
  const std::string models = manufacturer[1];
  std::set<std::string> decorations;
  for (size_t i = 2; i < manufacturer.size(); ++i) decorations.insert(Upper(manufacturer[i]));
  EXPECT_EQ(decorations, (std::set<std::string>{"NTX86", "NTAMD64"}));

  std::set<std::string> installSections;
  for (const std::string& section : {models, models + ".NTx86", models + ".NTamd64"}) {
    auto lines = inf.Lines(std::wstring(section.begin(), section.end()));
    ASSERT_EQ(lines.size(), 1u) << section;
    ASSERT_EQ(lines[0].size(), 3u) << section;
    EXPECT_EQ(lines[0][0], "Velto Print") << section;  // the model name the installation asks for
    EXPECT_FALSE(lines[0][2].empty()) << section << ": hardware id";
    installSections.insert(lines[0][1]);
  }
  ASSERT_EQ(installSections.size(), 1u);
  const std::string install = *installSections.begin();
  const std::wstring section(install.begin(), install.end());
  EXPECT_EQ(inf.Single(section, L"DataSection"), "UNIDRV_DATA");
  EXPECT_EQ(Upper(inf.Single(section, L"Include")), "NTPRINT.INF");
  auto needs = inf.Value(section, L"Needs");
  ASSERT_TRUE(needs);
  EXPECT_NE(std::find(needs->begin(), needs->end(), "UNIDRV.OEM"), needs->end());
  const std::string dataFile = inf.Single(section, L"DataFile");
  EXPECT_EQ(dataFile, "VELTOFAX.GPD");

  // Every file the model copies is listed on a source disk and lies beside the INF; the data file is one
  // of them. No binary of our own is copied.
  auto copyFiles = inf.Value(section, L"CopyFiles");
  ASSERT_TRUE(copyFiles && !copyFiles->empty());
  bool copiesDataFile = false;
  for (const std::string& entry : *copyFiles) {
    ASSERT_EQ(entry.rfind('@', 0), 0u) << entry << ": files are copied one by one";
    const std::string file = entry.substr(1);
    copiesDataFile = copiesDataFile || Upper(file) == Upper(dataFile);
    EXPECT_TRUE(std::filesystem::exists(DriverDir() / file)) << file;
    const std::string extension = Upper(std::filesystem::path(file).extension().string());
    EXPECT_TRUE(extension != ".DLL" && extension != ".EXE") << file;
    auto disk = inf.Value(L"SourceDisksFiles", std::wstring(file.begin(), file.end()));
    ASSERT_TRUE(disk && !disk->empty()) << file << " in [SourceDisksFiles]";
    const std::string id = (*disk)[0];
    EXPECT_TRUE(inf.Value(L"SourceDisksNames", std::wstring(id.begin(), id.end()))) << "disk " << id;
  }
  EXPECT_TRUE(copiesDataFile);
}

TEST_F(DriverPackage, EveryStringIsDefined) {
  for (const wchar_t* section : {L"Version", L"Manufacturer", L"SourceDisksNames"}) {
    for (const auto& line : inf.Lines(section)) {
      for (const auto& field : line) EXPECT_EQ(field.find('%'), std::string::npos) << Utf8(section) << ": " << field;
    }
  }
}

// ---- GPD ------------------------------------------------------------------------------------------

struct GpdEntry {
  std::string keyword;  // without the "*"
  std::string value;
  int line = 0;
  std::vector<GpdEntry> children;

  const GpdEntry* Child(const std::string& name) const {
    for (const auto& child : children) {
      if (child.keyword == name) return &child;
    }
    return nullptr;
  }
  std::vector<const GpdEntry*> All(const std::string& name) const {
    std::vector<const GpdEntry*> found;
    for (const auto& child : children) {
      if (child.keyword == name) found.push_back(&child);
    }
    return found;
  }
};

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Parses GPD text: "*Keyword: value" entries ending at the end of the line or at a brace outside quotes,
// "{" opening the entries of the entry before it, "}" closing them, "*%" starting a comment. Problems go
// to `errors`.
GpdEntry ParseGpd(const std::string& text, std::vector<std::string>& errors) {
  GpdEntry root;
  std::vector<GpdEntry*> open{&root};
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    size_t at = 0;
    auto fail = [&](const std::string& what) { errors.push_back("line " + std::to_string(number) + ": " + what); };
    for (;;) {
      while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r')) ++at;
      if (at >= line.size()) break;
      if (line.compare(at, 2, "*%") == 0) break;
      if (line[at] == '{') {
        if (open.back()->children.empty()) {
          fail("\"{\" without an entry before it");
          return root;
        }
        open.push_back(&open.back()->children.back());
        ++at;
      } else if (line[at] == '}') {
        if (open.size() == 1) {
          fail("\"}\" without \"{\"");
          return root;
        }
        open.pop_back();
        ++at;
      } else if (line[at] == '*') {
        const auto colon = line.find(':', at);
        if (colon == std::string::npos) {
          fail("an entry without \":\"");
          return root;
        }
        GpdEntry entry;
        entry.keyword = line.substr(at + 1, colon - at - 1);
        entry.line = number;
        if (!std::regex_match(entry.keyword, std::regex(R"([A-Za-z][A-Za-z0-9_]*\??)"))) fail("bad keyword " + entry.keyword);
        size_t end = colon + 1;
        bool quoted = false;
        while (end < line.size() && (quoted || (line[end] != '{' && line[end] != '}'))) {
          if (line[end] == '"') quoted = !quoted;
          if (!quoted && line.compare(end, 2, "*%") == 0) break;
          ++end;
        }
        if (quoted) fail("unclosed quote");
        entry.value = Trim(line.substr(colon + 1, end - colon - 1));
        open.back()->children.push_back(std::move(entry));
        at = end;
        if (at < line.size() && line.compare(at, 2, "*%") == 0) break;
      } else {
        fail("unexpected text: " + line.substr(at));
        break;
      }
    }
  }
  if (open.size() != 1) errors.push_back("a \"{\" is never closed");
  return root;
}

std::optional<std::pair<long, long>> Pair(const std::string& value) {
  std::smatch match;
  if (!std::regex_match(value, match, std::regex(R"(PAIR\(\s*(\d+)\s*,\s*(\d+)\s*\))"))) return std::nullopt;
  return std::make_pair(std::stol(match[1]), std::stol(match[2]));
}

std::optional<long> Number(const GpdEntry* entry) {
  if (!entry || !std::regex_match(entry->value, std::regex(R"(\d+)"))) return std::nullopt;
  return std::stol(entry->value);
}

bool Quoted(const std::string& value) { return value.size() >= 2 && value.front() == '"' && value.back() == '"'; }

// The keys these checks know, by where they stand.
const std::map<std::string, std::set<std::string>> kKnownKeys = {
    {"root",
     {"GPDSpecVersion", "GPDFileVersion", "GPDFileName", "Include", "ResourceDLL", "ModelName", "MasterUnits",
      "PrinterType", "MaxCopies", "Feature"}},
    {"Feature", {"Name", "rcNameID", "DefaultOption", "Option"}},
    {"Option",
     {"Name", "rcNameID", "Command", "PrintableOrigin", "PrintableArea", "PageDimensions", "DPI", "TextDPI",
      "SpotDiameter", "Color?", "DevNumOfPlanes", "DevBPP", "DrvBPP", "RasterMode"}},
    {"Command", {"Order", "Cmd"}},
};

// Page sizes of the standard paper options used, in 1/1200 inch, portrait.
const std::map<std::string, std::pair<long, long>> kStandardPapers = {{"A4", {9921, 14031}},
                                                                      {"LETTER", {10200, 13200}}};

class PrinterDescription : public ::testing::Test {
 protected:
  void SetUp() override {
    text = ReadText(DriverDir() / "VELTOFAX.GPD");
    ASSERT_FALSE(text.empty()) << DriverDir() / "VELTOFAX.GPD";
    root = ParseGpd(text, errors);
    for (const auto& error : errors) ADD_FAILURE() << "VELTOFAX.GPD " << error;
    ASSERT_TRUE(errors.empty());
  }
  const GpdEntry* Feature(const std::string& name) const {
    for (const GpdEntry* feature : root.All("Feature")) {
      if (feature->value == name) return feature;
    }
    return nullptr;
  }
  std::pair<long, long> MasterUnits() const {
    auto units = root.Child("MasterUnits") ? Pair(root.Child("MasterUnits")->value) : std::nullopt;
    return units.value_or(std::make_pair(0L, 0L));
  }

  std::string text;
  GpdEntry root;
  std::vector<std::string> errors;
};

void CheckKeys(const GpdEntry& entry, const std::string& context) {
  auto known = kKnownKeys.find(context);
  ASSERT_NE(known, kKnownKeys.end()) << context;
  for (const auto& child : entry.children) {
    EXPECT_TRUE(known->second.count(child.keyword)) << "line " << child.line << ": *" << child.keyword << " in "
                                                    << context << " is no key these checks know";
    if (!child.children.empty()) {
      EXPECT_TRUE(kKnownKeys.count(child.keyword)) << "line " << child.line << ": *" << child.keyword << " has entries";
      if (kKnownKeys.count(child.keyword)) CheckKeys(child, child.keyword);
    }
  }
}

TEST_F(PrinterDescription, HasTheGeneralAttributesFirstAndOnlyKnownKeys) {
  // The spec version must be the very first entry, before any comment.
  EXPECT_EQ(text.rfind("*GPDSpecVersion: \"1.0\"", 0), 0u);
  CheckKeys(root, "root");
  auto value = [&](const char* key) { return root.Child(key) ? root.Child(key)->value : std::string("<missing>"); };
  EXPECT_EQ(value("GPDFileName"), "\"VELTOFAX.GPD\"");  // the INF's DataFile
  EXPECT_EQ(value("ModelName"), "\"Velto Print\"");
  EXPECT_EQ(value("PrinterType"), "PAGE");
  EXPECT_EQ(value("ResourceDLL"), "\"UNIRES.DLL\"");  // copied by ntprint.inf's UNIDRV.OEM
  EXPECT_GE(Number(root.Child("MaxCopies")).value_or(0), 1);
  EXPECT_GT(MasterUnits().first, 0);
  EXPECT_GT(MasterUnits().second, 0);
  // "=MACRO" values come from StdNames.gpd, which must then be included.
  if (text.find(": =") != std::string::npos) {
    EXPECT_EQ(value("Include"), "\"StdNames.gpd\"");
  }
}

TEST_F(PrinterDescription, FeaturesHaveNamesDefaultsAndCompleteCommands) {
  for (const char* required : {"Orientation", "InputBin", "PaperSize", "Resolution"}) {
    EXPECT_TRUE(Feature(required)) << "the required feature " << required;
  }
  const std::regex order(R"((JOB_SETUP|DOC_SETUP|PAGE_SETUP|PAGE_FINISH|DOC_FINISH|JOB_FINISH)\.\d+)");
  for (const GpdEntry* feature : root.All("Feature")) {
    SCOPED_TRACE("feature " + feature->value);
    EXPECT_TRUE(feature->Child("Name") || feature->Child("rcNameID"));
    std::set<std::string> options;
    for (const GpdEntry* option : feature->All("Option")) {
      EXPECT_TRUE(options.insert(option->value).second) << "option " << option->value << " twice";
      EXPECT_TRUE(option->Child("Name") || option->Child("rcNameID")) << option->value;
      if (const GpdEntry* name = option->Child("Name")) {
        EXPECT_TRUE(Quoted(name->value)) << name->value;
      }
      for (const GpdEntry* command : option->All("Command")) {
        EXPECT_EQ(command->value, "CmdSelect") << option->value;
        ASSERT_TRUE(command->Child("Order") && command->Child("Cmd")) << option->value;
        EXPECT_TRUE(std::regex_match(command->Child("Order")->value, order)) << command->Child("Order")->value;
        EXPECT_TRUE(Quoted(command->Child("Cmd")->value)) << command->Child("Cmd")->value;
      }
    }
    ASSERT_FALSE(options.empty());
    ASSERT_TRUE(feature->Child("DefaultOption"));
    EXPECT_TRUE(options.count(feature->Child("DefaultOption")->value)) << feature->Child("DefaultOption")->value;
  }
  for (const GpdEntry* option : Feature("Orientation")->All("Option")) {
    EXPECT_TRUE(option->value == "PORTRAIT" || option->value == "LANDSCAPE_CC90" || option->value == "LANDSCAPE_CC270")
        << option->value;
  }
}

// A4 and Letter with the system's form names, and the fax page: 1728 dots at 204 per inch by 2200 lines at
// 196 per inch. Every printable area lies on its page.
TEST_F(PrinterDescription, PaperSizesAreA4LetterAndTheFaxPage) {
  const GpdEntry* paper = Feature("PaperSize");
  ASSERT_TRUE(paper);
  ASSERT_EQ(MasterUnits(), std::make_pair(1200L, 1200L));
  std::set<std::string> standard;
  bool faxPage = false;
  for (const GpdEntry* option : paper->All("Option")) {
    SCOPED_TRACE("paper " + option->value);
    ASSERT_TRUE(option->Child("PrintableArea") && option->Child("PrintableOrigin"));
    ASSERT_TRUE(option->Child("Command"));
    auto area = Pair(option->Child("PrintableArea")->value);
    auto origin = Pair(option->Child("PrintableOrigin")->value);
    ASSERT_TRUE(area && origin);
    std::pair<long, long> page;
    if (auto known = kStandardPapers.find(option->value); known != kStandardPapers.end()) {
      EXPECT_FALSE(option->Child("PageDimensions"));
      ASSERT_TRUE(option->Child("rcNameID"));
      EXPECT_EQ(option->Child("rcNameID")->value, "=RCID_DMPAPER_SYSTEM_NAME");
      page = known->second;
      standard.insert(option->value);
    } else {
      ASSERT_TRUE(option->Child("PageDimensions")) << "a paper size of our own needs its dimensions";
      auto dimensions = Pair(option->Child("PageDimensions")->value);
      ASSERT_TRUE(dimensions);
      page = *dimensions;
      const double width = 1728.0 / 204 * 1200, height = 2200.0 / 196 * 1200;
      faxPage = std::abs(page.first - width) < 6 && std::abs(page.second - height) < 6;
    }
    EXPECT_LE(origin->first + area->first, page.first);
    EXPECT_LE(origin->second + area->second, page.second);
    EXPECT_GT(area->first, 0);
    EXPECT_GT(area->second, 0);
  }
  EXPECT_EQ(standard, (std::set<std::string>{"A4", "LETTER"}));
  EXPECT_TRUE(faxPage);
}

TEST_F(PrinterDescription, ResolutionsDivideTheMasterUnitsAndColourModesAreComplete) {
  const auto units = MasterUnits();
  std::set<long> resolutions;
  for (const GpdEntry* option : Feature("Resolution")->All("Option")) {
    SCOPED_TRACE("resolution " + option->value);
    ASSERT_TRUE(option->Child("DPI") && option->Child("TextDPI"));
    auto dpi = Pair(option->Child("DPI")->value);
    auto text = Pair(option->Child("TextDPI")->value);
    ASSERT_TRUE(dpi && text);
    EXPECT_TRUE(Number(option->Child("SpotDiameter")));
    // The graphics resolution is the text resolution divided by a power of two.
    for (auto [graphics, letters] : {std::make_pair(dpi->first, text->first), std::make_pair(dpi->second, text->second)}) {
      ASSERT_GT(graphics, 0);
      EXPECT_EQ(letters % graphics, 0);
      const long ratio = letters / graphics;
      EXPECT_EQ(ratio & (ratio - 1), 0);
    }
    EXPECT_EQ(units.first % text->first, 0);
    EXPECT_EQ(units.second % text->second, 0);
    resolutions.insert(dpi->first);
  }
  EXPECT_TRUE(resolutions.count(200)) << "the fax resolution";
  EXPECT_GE(resolutions.size(), 2u);

  const GpdEntry* colour = Feature("ColorMode");
  ASSERT_TRUE(colour);
  std::set<std::string> kinds;
  for (const GpdEntry* option : colour->All("Option")) {
    SCOPED_TRACE("colour mode " + option->value);
    EXPECT_EQ(Number(option->Child("DevNumOfPlanes")).value_or(0), 1);
    const long bits = Number(option->Child("DrvBPP")).value_or(0);
    EXPECT_TRUE(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32) << bits;
    EXPECT_EQ(Number(option->Child("DevBPP")).value_or(0), bits);
    ASSERT_TRUE(option->Child("Color?"));
    kinds.insert(option->Child("Color?")->value);
    if (bits > 8) {
      EXPECT_TRUE(option->Child("RasterMode") && option->Child("RasterMode")->value == "DIRECT");
    }
  }
  EXPECT_EQ(kinds, (std::set<std::string>{"TRUE", "FALSE"}));
}

}  // namespace
}  // namespace vtproc_test
