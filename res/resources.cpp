#include "res/resources.h"

namespace velto::res {
namespace {

using platform::ControlKind;
using platform::DialogControl;
using platform::DialogRect;

DialogControl Button(int id, DialogRect rect, const char* text, bool isDefault = false) {
  DialogControl c;
  c.id = id;
  c.kind = ControlKind::PushButton;
  c.rect = rect;
  c.text = text;
  c.isDefault = isDefault;
  return c;
}

DialogControl Text(int id, DialogRect rect, const char* text) {
  DialogControl c;
  c.id = id;
  c.kind = ControlKind::Static;
  c.rect = rect;
  c.text = text;
  c.style = SS_LEFT;
  return c;
}

DialogControl Picture(int id, DialogRect rect, const std::vector<std::string>& picture, unsigned style,
                      bool notify = false) {
  DialogControl c;
  c.id = id;
  c.kind = ControlKind::Picture;
  c.rect = rect;
  c.picture = picture;
  c.style = style;
  c.notify = notify;
  return c;
}

}  // namespace

const std::vector<std::string>& IconPicture() {
  static const std::vector<std::string> icon = {"┌VF┐", "└──┘"};
  return icon;
}

const std::vector<std::string>& BannerPicture() {
  static const std::vector<std::string> banner = {
      "┌──────────────────────────────────────────────┐",
      "│  V E L T O   P R I N T                       │",
      "│  虚拟打印机：传真 TIFF · PDF · 图像 · 文本   │",
      "│                                              │",
      "│  VeltoFaxTool 1.0                            │",
      "└──────────────────────────────────────────────┘",
  };
  return banner;
}

const DialogTemplate& AboutBoxTemplate() {
  static const DialogTemplate about = [] {
    DialogTemplate t{IDD_ABOUTBOX, "关于 VeltoFaxTool", 235, 55, "宋体", 9, {}};
    t.controls.push_back(Picture(-1, {11, 17, 20, 20}, IconPicture(), SS_ICON));
    t.controls.push_back(Text(-1, {40, 10, 119, 8}, "VeltoFaxTool 1.0 版"));
    t.controls.push_back(Text(-1, {40, 25, 119, 8}, kAboutNotice));
    t.controls.push_back(Button(platform::IDOK, {178, 7, 50, 14}, "确定", true));
    return t;
  }();
  return about;
}

const DialogTemplate& SaveStripTemplate() {
  static const DialogTemplate strip = [] {
    DialogTemplate t{IDD_SAVE_STRIP, "", 461, 28, "宋体", 9, {}};
    t.controls.push_back(Button(IDC_PRINTER_PROPERTIES, {0, 0, 51, 16}, "打印机属性"));
    t.controls.push_back(Text(IDC_STRIP_WEB_LINK, {69, 0, 126, 8}, kMakerWebText));
    t.controls.push_back(Text(IDC_STRIP_MAIL_LINK, {69, 12, 104, 8}, kMakerMailText));
    return t;
  }();
  return strip;
}

const DialogTemplate& ControlPanelTemplate() {
  static const DialogTemplate panel = [] {
    DialogTemplate t{IDD_CONTROL_PANEL, "VeltoFaxTool", 320, 200, "宋体", 9, {}};
    t.controls.push_back(Button(platform::IDOK, {20, 172, 70, 14}, "关闭", true));
    t.controls.push_back(Button(IDC_INSTALL, {20, 59, 70, 14}, "安装打印机"));
    t.controls.push_back(Button(IDC_UNINSTALL, {20, 77, 70, 14}, "卸载打印机"));
    t.controls.push_back(Button(IDC_TEST, {20, 96, 70, 14}, "测试打印机"));
    t.controls.push_back(Button(IDC_PREFERENCES, {20, 115, 70, 14}, "打印机属性"));
    t.controls.push_back(Button(IDC_HELP_BUTTON, {20, 153, 70, 14}, "帮助"));
    t.controls.push_back(Text(IDC_STATUS, {113, 83, 159, 16}, ""));
    DialogControl progress;
    progress.id = IDC_PROGRESS;
    progress.kind = ControlKind::ProgressBar;
    progress.rect = {111, 99, 159, 12};
    progress.visible = false;
    t.controls.push_back(progress);
    t.controls.push_back(Picture(IDC_BANNER, {7, 7, 193, 43}, BannerPicture(), SS_BITMAP, true));
    t.controls.push_back(Picture(-1, {277, 16, 20, 20}, IconPicture(), SS_ICON));
    t.controls.push_back(Text(IDC_SUPPORT_LINE, {128, 146, 128, 10}, kMakerSupportLine));
    t.controls.push_back(Text(IDC_NOTICE_LINE, {128, 160, 138, 10}, kMakerNotice));
    t.controls.push_back(Text(IDC_WEB_LINK, {137, 173, 104, 8}, kMakerWebText));
    t.controls.push_back(Text(IDC_MAIL_LINK, {141, 185, 73, 8}, kMakerMailText));
    return t;
  }();
  return panel;
}

std::optional<std::string> LoadStringResource(int id) {
  if (id == IDS_ABOUTBOX) return "关于 VeltoFaxTool(&A)...";
  return std::nullopt;
}

void AddTemplateControls(platform::TerminalDialog& dialog, const DialogTemplate& dialogTemplate) {
  for (const auto& control : dialogTemplate.controls) dialog.AddControl(control);
}

}  // namespace velto::res
