#pragma once
// The program's resources: dialog templates 100 (about box), 101 (the Save dialog's strip) and 102
// (control panel), the string table, icon 128 and bitmap 139, and the maker's addresses and texts that
// the dialogs show. The terminal dialogs are built from these templates; on Windows the same templates
// are real resources, in res/windows/VeltoFaxTool.rc, which res/resource_script.h writes from them.

#include <optional>
#include <string>
#include <vector>

#include "platform/dialog_view.h"

namespace velto::res {

// Resource identifiers.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_SAVE_STRIP = 101;
inline constexpr int IDD_CONTROL_PANEL = 102;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDB_BANNER = 139;

inline constexpr int IDC_STATIC = -1;
inline constexpr int IDC_OK = 1;  // IDOK: the default button that ends a dialog
// Controls of the control panel (102).
inline constexpr int IDC_INSTALL = 1000;
inline constexpr int IDC_UNINSTALL = 1001;
inline constexpr int IDC_TEST = 1002;
inline constexpr int IDC_HELP_BUTTON = 1003;
inline constexpr int IDC_PREFERENCES = 1004;
inline constexpr int IDC_STATUS = 1006;
inline constexpr int IDC_PROGRESS = 1008;
inline constexpr int IDC_WEB_LINK = 1010;
inline constexpr int IDC_SUPPORT_LINE = 1012;
inline constexpr int IDC_MAIL_LINK = 1014;
inline constexpr int IDC_NOTICE_LINE = 1015;
inline constexpr int IDC_BANNER = 1017;
// Controls of the Save dialog's strip (101).
inline constexpr int IDC_PRINTER_PROPERTIES = 1005;
inline constexpr int IDC_STRIP_WEB_LINK = 1012;
inline constexpr int IDC_STRIP_MAIL_LINK = 1013;
// The standard Save dialog's controls that the strip refers to.
inline constexpr int IDC_FILE_TYPE_BOX = 1136;  // cmb1
inline constexpr int IDC_CANCEL = 2;

// Static types (the low byte of a static's style): SS_LEFT, SS_ICON, SS_BITMAP. (The names differ from
// the platform's, which <windows.h> defines as macros.)
inline constexpr unsigned kStaticLeft = 0x0;
inline constexpr unsigned kStaticIcon = 0x3;
inline constexpr unsigned kStaticBitmap = 0xE;

// Window and dialog styles of the templates, with the platform's values.
namespace style {
inline constexpr unsigned kPopup = 0x80000000;        // WS_POPUP
inline constexpr unsigned kChild = 0x40000000;        // WS_CHILD
inline constexpr unsigned kVisible = 0x10000000;      // WS_VISIBLE
inline constexpr unsigned kClipSiblings = 0x04000000; // WS_CLIPSIBLINGS
inline constexpr unsigned kCaption = 0x00C00000;      // WS_CAPTION
inline constexpr unsigned kSysMenu = 0x00080000;      // WS_SYSMENU
inline constexpr unsigned kMinimizeBox = 0x00020000;  // WS_MINIMIZEBOX
inline constexpr unsigned k3dLook = 0x0004;           // DS_3DLOOK
inline constexpr unsigned kModalFrame = 0x0080;       // DS_MODALFRAME
inline constexpr unsigned kControl = 0x0400;          // DS_CONTROL
inline constexpr unsigned kAppWindow = 0x00040000;    // WS_EX_APPWINDOW
}  // namespace style

// The maker's addresses and texts.
inline constexpr const char* kMakerWebAddress = "https://velto.example.org/";
inline constexpr const char* kMakerWebText = "https://velto.example.org";
inline constexpr const char* kMakerMailText = "velto@example.org";
inline constexpr const char* kControlPanelMailTarget = "mailto: velto@example.org";
inline constexpr const char* kSaveDialogMailTarget = "mailto:velto@example.org";
inline constexpr const char* kMakerSupportLine = "技术支持：VeltoFaxTool 项目组";
inline constexpr const char* kMakerNotice = "本软件按原样提供，欢迎自由使用。";
inline constexpr const char* kAboutNotice = "(C) VeltoFaxTool 项目组";

enum class ControlKind { PushButton, Static, ProgressBar, Picture };

struct ControlTemplate {
  int id = IDC_STATIC;
  ControlKind kind = ControlKind::Static;
  platform::DialogRect rect;  // dialog units
  std::string text;
  unsigned staticType = kStaticLeft;  // statics and pictures: kStaticLeft, kStaticIcon, kStaticBitmap
  int image = 0;                  // pictures: the icon or bitmap resource they show
  bool visible = true;
  bool isDefault = false;  // the default push button
  bool notify = false;     // a static that reports clicks (SS_NOTIFY)
};

struct DialogTemplate {
  int id = 0;
  std::string title;
  int width = 0, height = 0;  // dialog units
  std::string font;
  int pointSize = 0;
  unsigned style = 0;  // window and dialog styles
  unsigned exStyle = 0;
  std::vector<ControlTemplate> controls;
};

const DialogTemplate& AboutBoxTemplate();
const DialogTemplate& SaveStripTemplate();
const DialogTemplate& ControlPanelTemplate();
// The three templates in the order of their identifiers.
std::vector<const DialogTemplate*> DialogTemplates();

// The string table: identifier and text.
struct StringResource {
  int id;
  const char* text;
};
const std::vector<StringResource>& StringTable();
// LoadString: no value for an identifier the string table does not hold.
std::optional<std::string> LoadStringResource(int id);

// Icon 128 and bitmap 139 as lines of character cells (what a terminal shows); res/pictures.h draws
// them as pixels.
const std::vector<std::string>& IconPicture();
const std::vector<std::string>& BannerPicture();
// The picture of image resource `id` (icon 128 or bitmap 139); empty for any other.
const std::vector<std::string>& Picture(int id);

}  // namespace velto::res
