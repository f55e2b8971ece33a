// The resource script of the Windows build, written from the templates and the string table.
#include <cstdio>

#include "res/resources.h"
#include "res/windows_resources.h"

namespace velto::res {
namespace {

struct StyleName {
  unsigned bit;
  const char* name;
};

// The names of the styles the templates use, in the order a script lists them.
constexpr StyleName kDialogStyles[] = {
    {style::k3dLook, "DS_3DLOOK"},         {style::kModalFrame, "DS_MODALFRAME"}, {style::kControl, "DS_CONTROL"},
    {style::kPopup, "WS_POPUP"},           {style::kChild, "WS_CHILD"},           {style::kVisible, "WS_VISIBLE"},
    {style::kClipSiblings, "WS_CLIPSIBLINGS"}, {style::kCaption, "WS_CAPTION"},   {style::kSysMenu, "WS_SYSMENU"},
    {style::kMinimizeBox, "WS_MINIMIZEBOX"},
};
constexpr StyleName kExtendedStyles[] = {{style::kAppWindow, "WS_EX_APPWINDOW"}};

template <size_t N>
std::string StyleText(unsigned bits, const StyleName (&names)[N]) {
  std::string text;
  for (const auto& [bit, name] : names) {
    if (!(bits & bit)) continue;
    if (!text.empty()) text += " | ";
    text += name;
    bits &= ~bit;
  }
  if (bits) {
    char rest[16];
    std::snprintf(rest, sizeof rest, "0x%X", bits);
    text += (text.empty() ? "" : " | ") + std::string(rest);
  }
  return text.empty() ? "0" : text;
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';  // a quote is doubled
    out += c;
  }
  return out + "\"";
}

std::string Place(const platform::DialogRect& r) {
  return std::to_string(r.x) + ", " + std::to_string(r.y) + ", " + std::to_string(r.width) + ", " +
         std::to_string(r.height);
}

std::string ControlLine(const ControlTemplate& c) {
  const std::string id = std::to_string(c.id), place = Place(c.rect);
  switch (c.kind) {
    case ControlKind::PushButton:
      return std::string(c.isDefault ? "DEFPUSHBUTTON " : "PUSHBUTTON ") + Quoted(c.text) + ", " + id + ", " + place;
    case ControlKind::Static:
      return "LTEXT " + Quoted(c.text) + ", " + id + ", " + place + (c.notify ? ", SS_NOTIFY" : "");
    case ControlKind::ProgressBar:
      return "CONTROL \"\", " + id + ", \"msctls_progress32\", PBS_SMOOTH | WS_BORDER" +
             (c.visible ? "" : " | NOT WS_VISIBLE") + ", " + place;
    case ControlKind::Picture:
      if (c.staticType == kStaticIcon) return "ICON " + std::to_string(c.image) + ", " + id + ", " + place;
      return "CONTROL " + std::to_string(c.image) + ", " + id + ", \"Static\", SS_BITMAP" +
             (c.notify ? " | SS_NOTIFY" : "") + ", " + place;
  }
  return {};
}

}  // namespace

std::string WindowsResourceScript() {
  std::string rc =
      "// The resources of VeltoFaxTool on Windows, written by velto-make-windows-resources from\n"
      "// res/resources.cpp and res/pictures.cpp; a test keeps this file equal to what they make.\n"
      "#pragma code_page(65001)\n"
      "#include <windows.h>\n"
      "#include <commctrl.h>\n"
      "\n";
  rc += std::to_string(IDR_MAINFRAME) + " ICON \"" + kIconFileName + "\"\n";
  rc += std::to_string(IDB_BANNER) + " BITMAP \"" + kBannerFileName + "\"\n\n";
  rc += "STRINGTABLE\nBEGIN\n";
  for (const auto& entry : StringTable()) rc += "    " + std::to_string(entry.id) + ", " + Quoted(entry.text) + "\n";
  rc += "END\n";
  for (const DialogTemplate* t : DialogTemplates()) {
    rc += "\n" + std::to_string(t->id) + " DIALOGEX 0, 0, " + std::to_string(t->width) + ", " +
          std::to_string(t->height) + "\n";
    rc += "STYLE " + StyleText(t->style, kDialogStyles) + "\n";
    if (t->exStyle) rc += "EXSTYLE " + StyleText(t->exStyle, kExtendedStyles) + "\n";
    if (!t->title.empty()) rc += "CAPTION " + Quoted(t->title) + "\n";
    rc += "FONT " + std::to_string(t->pointSize) + ", " + Quoted(t->font) + "\n";
    rc += "BEGIN\n";
    for (const auto& control : t->controls) rc += "    " + ControlLine(control) + "\n";
    rc += "END\n";
  }
  return rc;
}

}  // namespace velto::res
