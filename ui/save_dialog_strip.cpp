#include "ui/save_dialog_strip.h"

#include <memory>

#include "job/save_dialog.h"
#include "printer/printer_properties.h"
#include "res/resources.h"
#include "ui/static_link.h"

namespace velto {

std::vector<platform::SaveDialogStripItem> MakeSaveDialogStrip() {
  auto web = std::make_shared<CStaticLink>(res::kMakerWebAddress);
  auto mail = std::make_shared<CStaticLink>(res::kSaveDialogMailTarget);
  const auto& controls = res::SaveStripTemplate().controls;
  return {
      {controls[0].id, controls[0].text, [] { ShowPrinterAdvancedSettings("另存为"); }},
      {controls[1].id, controls[1].text, [web] { web->OnLButtonDown(); }},
      {controls[2].id, controls[2].text, [mail] { mail->OnLButtonDown(); }},
  };
}

void InstallSaveDialogStrip() {
  SetSaveDialogStripProvider([](std::vector<platform::SaveDialogStripItem>& strip) {
    for (auto& item : MakeSaveDialogStrip()) strip.push_back(std::move(item));
  });
}

}  // namespace velto
