#include "ui/save_dialog_strip.h"

#include <memory>

#include "job/save_dialog.h"
#include "printer/printer_properties.h"
#include "res/resources.h"
#include "ui/static_link.h"

namespace velto {

std::vector<platform::SaveDialogStripItem> MakeSaveDialogStrip() {
  auto web = std::make_shared<CStaticLink>();
  web->SetLink(res::kMakerWebAddress);
  auto mail = std::make_shared<CStaticLink>();
  mail->SetLink(res::kSaveDialogMailTarget);
  const auto& controls = res::SaveStripTemplate().controls;
  const int webId = controls[1].id, mailId = controls[2].id;
  return {
      {controls[0].id, controls[0].text, [] { ShowPrinterAdvancedSettings("另存为"); }, nullptr},
      {webId, controls[1].text, [web] { web->OnLButtonDown(); },
       [web, webId](platform::DialogView& strip) { web->SubclassDlgItem(webId, strip); }},
      {mailId, controls[2].text, [mail] { mail->OnLButtonDown(); },
       [mail, mailId](platform::DialogView& strip) { mail->SubclassDlgItem(mailId, strip); }},
  };
}

void InstallSaveDialogStrip() {
  SetSaveDialogStripProvider([](std::vector<platform::SaveDialogStripItem>& strip) {
    for (auto& item : MakeSaveDialogStrip()) strip.push_back(std::move(item));
  });
}

}  // namespace velto
