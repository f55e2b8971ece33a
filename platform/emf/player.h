#pragma once
// Plays an enhanced metafile into a surface as GDI's PlayEnhMetaFile does: the picture frame of the
// metafile is mapped onto `destination` (device pixels of the surface), and every record is drawn with
// GDI's semantics beneath that mapping.

#include "geometry.h"
#include "metafile.h"
#include "surface.h"

namespace velto::emf {

struct PlaybackOptions {
  // Upper bound on the wall time of one playback; a page that takes longer is cut short.
  double timeLimitSeconds = 30.0;
};

namespace playback {
class Device;
}

// True when the playback ran to the end of the metafile.
bool PlayMetafile(Surface& surface, const Metafile& metafile, const RectL& destination,
                  const PlaybackOptions& options = {});

// The same onto any drawing device (playback/device.h); `destination` is in the device's pixels.
bool PlayMetafile(playback::Device& device, const Metafile& metafile, const RectL& destination,
                  const PlaybackOptions& options = {});

}  // namespace velto::emf
