#include "tests/support/test_support.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

namespace velto::test {

TempDir::TempDir() {
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = base / ("velto-test-" + std::to_string(rd()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
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

ScopedEnv::ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
  if (const char* old = std::getenv(name)) previous_ = old;
  if (value) ::setenv(name, value->c_str(), 1);
  else ::unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
  if (previous_) ::setenv(name_.c_str(), previous_->c_str(), 1);
  else ::unsetenv(name_.c_str());
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteTextFile(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f << text;
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

}  // namespace velto::test
