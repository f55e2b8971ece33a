#pragma once
// The program's resources: dialog templates 100 (about box), 101 (the Save dialog's strip) and 102
// (control panel), the string table, icon 128 and bitmap 139 (as pictures of character cells), and the
// maker's addresses and texts that the dialogs show.

#include <optional>
#include <string>
#include <vector>

#include "platform/printing/terminal_dialog.h"

namespace velto::res {

// Resource identifiers.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_SAVE_STRIP = 101;
inline constexpr int IDD_CONTROL_PANEL = 102;
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDB_BANNER = 139;

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

// Static styles.
inline constexpr unsigned SS_LEFT = 0x0;
inline constexpr unsigned SS_ICON = 0x3;
inline constexpr unsigned SS_BITMAP = 0xE;

// The maker's addresses and texts.
inline constexpr const char* kMakerWebAddress = "https://velto.example.org/";
inline constexpr const char* kMakerWebText = "https://velto.example.org";
inline constexpr const char* kMakerMailText = "velto@example.org";
inline constexpr const char* kControlPanelMailTarget = "mailto: velto@example.org";
inline constexpr const char* kSaveDialogMailTarget = "mailto:velto@example.org";
inline constexpr const char* kMakerSupportLine = "技术支持：VeltoFaxTool 项目组";
inline constexpr const char* kMakerNotice = "本软件按原样提供，欢迎自由使用。";
inline constexpr const char* kAboutNotice = "(C) VeltoFaxTool 项目组";

struct DialogTemplate {
  int id = 0;
  std::string title;
  int width = 0, height = 0;  // dialog units
  std::string font;
  int pointSize = 0;
  std::vector<platform::DialogControl> controls;
};

const DialogTemplate& AboutBoxTemplate();
const DialogTemplate& SaveStripTemplate();
const DialogTemplate& ControlPanelTemplate();

// LoadString: no value for an identifier the string table does not hold.
std::optional<std::string> LoadStringResource(int id);

// Icon 128 and bitmap 139 as lines of character cells.
const std::vector<std::string>& IconPicture();
const std::vector<std::string>& BannerPicture();

// A dialog built from a template: its title, size and controls.
void AddTemplateControls(platform::TerminalDialog& dialog, const DialogTemplate& dialogTemplate);

}  // namespace velto::res
