// Placeholder until the shell, dialog and profile layers land.
#include "app/settings.h"
#include "platform/dialogs.h"
#include "platform/profile.h"
#include "platform/shell.h"

namespace velto::platform {
int GetPrivateProfileInt(std::string_view, std::string_view, int d, const std::string&) { return d; }
std::string GetPrivateProfileString(std::string_view, std::string_view, std::string_view d, const std::string&) {
  return std::string(d);
}
int ShowMessageBox(const std::string&, const std::string&, unsigned) { return IDNO; }
}  // namespace velto::platform
namespace velto {
int ReadSettingInt(std::string_view, std::string_view, int d) { return d; }
std::string ReadSettingText(std::string_view, std::string_view, std::string_view d) { return std::string(d); }
}  // namespace velto
