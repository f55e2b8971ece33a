#pragma once
// The strip of template 101 below the job's Save dialog: the "打印机属性" (printer properties) button, which
// shows the printer's advanced document settings, and the maker's web and mail links.

#include <vector>

#include "platform/dialogs.h"

namespace velto {

// The strip's three controls in template order: button 1005, web link 1012, mail link 1013. The links
// keep their visited state for as long as the items live.
std::vector<platform::SaveDialogStripItem> MakeSaveDialogStrip();
// Has every Save dialog of the job flow carry the strip (SetSaveDialogStripProvider).
void InstallSaveDialogStrip();

}  // namespace velto
