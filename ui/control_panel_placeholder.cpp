// Placeholder until the control panel lands.
#include "ui/control_panel.h"

namespace velto {
int RunControlPanel() { return 2; }
}  // namespace velto
