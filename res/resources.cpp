#include "res/resources.h"

namespace velto::res {
namespace {

using platform::DialogRect;

ControlTemplate Button(int id, DialogRect rect, const char* text, bool isDefault = false) {
  ControlTemplate c;
  c.id = id;
  c.kind = ControlKind::PushButton;
  c.rect = rect;
  c.text = text;
  c.isDefault = isDefault;
  return c;
}

ControlTemplate Text(int id, DialogRect rect, const char* text) {
  ControlTemplate c;
  c.id = id;
  c.rect = rect;
  c.text = text;
  return c;
}

ControlTemplate Image(int id, DialogRect rect, int image, unsigned staticType, bool notify = false) {
  ControlTemplate c;
  c.id = id;
  c.kind = ControlKind::Picture;
  c.rect = rect;
  c.image = image;
  c.staticType = staticType;
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

const std::vector<std::string>& Picture(int id) {
  static const std::vector<std::string> none;
  if (id == IDR_MAINFRAME) return IconPicture();
  if (id == IDB_BANNER) return BannerPicture();
  return none;
}

const DialogTemplate& AboutBoxTemplate() {
  static const DialogTemplate about = [] {
    DialogTemplate t{IDD_ABOUTBOX, "关于 VeltoFaxTool", 235, 55, "宋体", 9,
                     style::kModalFrame | style::kPopup | style::kCaption | style::kSysMenu, 0, {}};
    t.controls.push_back(Image(IDC_STATIC, {11, 17, 20, 20}, IDR_MAINFRAME, kStaticIcon));
    t.controls.push_back(Text(IDC_STATIC, {40, 10, 119, 8}, "VeltoFaxTool 1.0 版"));
    t.controls.push_back(Text(IDC_STATIC, {40, 25, 119, 8}, kAboutNotice));
    t.controls.push_back(Button(IDC_OK, {178, 7, 50, 14}, "确定", true));
    return t;
  }();
  return about;
}

const DialogTemplate& SaveStripTemplate() {
  static const DialogTemplate strip = [] {
    DialogTemplate t{IDD_SAVE_STRIP, "", 461, 28, "宋体", 9,
                     style::k3dLook | style::kControl | style::kChild | style::kVisible | style::kClipSiblings,
                     0, {}};
    t.controls.push_back(Button(IDC_PRINTER_PROPERTIES, {0, 0, 51, 16}, "打印机属性"));
    t.controls.push_back(Text(IDC_STRIP_WEB_LINK, {69, 0, 126, 8}, kMakerWebText));
    t.controls.push_back(Text(IDC_STRIP_MAIL_LINK, {69, 12, 104, 8}, kMakerMailText));
    return t;
  }();
  return strip;
}

const DialogTemplate& ControlPanelTemplate() {
  static const DialogTemplate panel = [] {
    DialogTemplate t{IDD_CONTROL_PANEL, "VeltoFaxTool", 320, 200, "宋体", 9,
                     style::kModalFrame | style::kPopup | style::kVisible | style::kCaption | style::kSysMenu |
                         style::kMinimizeBox,
                     style::kAppWindow, {}};
    t.controls.push_back(Button(IDC_OK, {20, 172, 70, 14}, "关闭", true));
    t.controls.push_back(Button(IDC_INSTALL, {20, 59, 70, 14}, "安装打印机"));
    t.controls.push_back(Button(IDC_UNINSTALL, {20, 77, 70, 14}, "卸载打印机"));
    t.controls.push_back(Button(IDC_TEST, {20, 96, 70, 14}, "测试打印机"));
    t.controls.push_back(Button(IDC_PREFERENCES, {20, 115, 70, 14}, "打印机属性"));
    t.controls.push_back(Button(IDC_HELP_BUTTON, {20, 153, 70, 14}, "帮助"));
    t.controls.push_back(Text(IDC_STATUS, {113, 83, 159, 16}, ""));
    ControlTemplate progress;
    progress.id = IDC_PROGRESS;
    progress.kind = ControlKind::ProgressBar;
    progress.rect = {111, 99, 159, 12};
    progress.visible = false;
    t.controls.push_back(progress);
    t.controls.push_back(Image(IDC_BANNER, {7, 7, 193, 43}, IDB_BANNER, kStaticBitmap, true));
    t.controls.push_back(Image(IDC_STATIC, {277, 16, 20, 20}, IDR_MAINFRAME, kStaticIcon));
    t.controls.push_back(Text(IDC_SUPPORT_LINE, {128, 146, 128, 10}, kMakerSupportLine));
    t.controls.push_back(Text(IDC_NOTICE_LINE, {128, 160, 138, 10}, kMakerNotice));
    t.controls.push_back(Text(IDC_WEB_LINK, {137, 173, 104, 8}, kMakerWebText));
    t.controls.push_back(Text(IDC_MAIL_LINK, {141, 185, 73, 8}, kMakerMailText));
    return t;
  }();
  return panel;
}

std::vector<const DialogTemplate*> DialogTemplates() {
  return {&AboutBoxTemplate(), &SaveStripTemplate(), &ControlPanelTemplate()};
}

const std::vector<StringResource>& StringTable() {
  static const std::vector<StringResource> table = {{IDS_ABOUTBOX, "关于 VeltoFaxTool(&A)..."}};
  return table;
}

std::optional<std::string> LoadStringResource(int id) {
  for (const auto& entry : StringTable())
    if (entry.id == id) return entry.text;
  return std::nullopt;
}

}  // namespace velto::res
