// velto-make-windows-resources [DIR]: writes the Windows build's resource script, icon and banner
// (res/windows_resources.h) into DIR, by default res/windows of the current folder.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "res/windows_resources.h"

namespace {

bool Write(const std::string& path, const void* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  if (!out) {
    std::fprintf(stderr, "velto-make-windows-resources: cannot write %s\n", path.c_str());
    return false;
  }
  std::printf("%s\n", path.c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  namespace res = velto::res;
  if (argc > 2) {
    std::fprintf(stderr, "usage: velto-make-windows-resources [DIR]\n");
    return 2;
  }
  const std::string dir = argc == 2 ? argv[1] : "res/windows";
  const std::string script = res::WindowsResourceScript();
  const std::vector<uint8_t> icon = res::IconFile(), banner = res::BannerBitmapFile();
  const bool ok = Write(dir + "/" + res::kResourceScriptName, script.data(), script.size()) &&
                  Write(dir + "/" + res::kIconFileName, icon.data(), icon.size()) &&
                  Write(dir + "/" + res::kBannerFileName, banner.data(), banner.size());
  return ok ? 0 : 1;
}
