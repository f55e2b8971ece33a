#include "platform/emf/player.h"

namespace velto::emf {

// Placeholder until the playback engine lands: draws nothing.
bool PlayMetafile(Surface&, const Metafile&, const RectL&, const PlaybackOptions&) { return true; }

}  // namespace velto::emf
