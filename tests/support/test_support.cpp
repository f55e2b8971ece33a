#include "tests/support/test_support.h"

#include <algorithm>
#include <cstdlib>
#include <random>
#include <stdexcept>

#include "platform/files.h"

namespace velto::test {

TempDir::TempDir() {
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = base / ("velto-test-" + std::to_string(rd()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      text_ = platform::Utf8Path(path_);
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::File(const std::string& name) const { return platform::Utf8Path(path_ / platform::FsPath(name)); }

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  auto file = platform::OpenStdioFile(path, "rb");
  if (!file) return bytes;
  uint8_t buffer[65536];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) bytes.insert(bytes.end(), buffer, buffer + n);
  return bytes;
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  auto file = platform::OpenStdioFile(path, "wb");
  if (file && !bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file.get());
}

void WriteTextFile(const std::string& path, const std::string& text) {
  WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

bool Exists(const std::string& path) { return platform::FileExists(path); }

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names = platform::ListFolder(folder).value_or(std::vector<std::string>{});
  std::sort(names.begin(), names.end());
  return names;
}

emf::MetafileRecorder A4Recorder() {
  return emf::MetafileRecorder(emf::RectL{0, 0, 21000, 29700}, emf::SizeL{2480, 3508}, emf::SizeL{210, 297});
}

std::vector<uint8_t> SimplePage(const std::u16string& text) {
  auto rec = A4Recorder();
  rec.SelectObject(emf::StockObject(4));  // black brush
  rec.Rectangle(emf::RectL{200, 200, 1200, 600});
  rec.CreateFont(1, -100, 400, u"Arial");
  rec.SelectObject(1);
  rec.ExtTextOutW(emf::PointL{200, 800}, text);
  rec.SelectObject(emf::StockObject(13));
  rec.DeleteObject(1);
  return rec.Finish();
}

std::string SourceDirectory() { return GetEnv("VELTO_SOURCE_DIR").value_or(VELTO_TEST_SOURCE_DIR); }
std::string BuildDirectory() { return GetEnv("VELTO_BUILD_DIR").value_or(VELTO_TEST_BUILD_DIR); }

}  // namespace velto::test
