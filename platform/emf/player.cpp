#include "player.h"

#include <algorithm>
#include <chrono>

#include "playback/context.h"
#include "playback/handlers.h"
#include "playback/raster_device.h"

namespace velto::emf {

bool PlayMetafile(playback::Device& device, const Metafile& metafile, const RectL& destination,
                  const PlaybackOptions& options) {
  using namespace playback;
  Context context(device, metafile.Header(), destination);
  double limit = std::clamp(options.timeLimitSeconds, 0.0, 86400.0);
  context.deadline = std::chrono::steady_clock::now() +
                     std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(limit));
  const HandlerTable& handlers = Handlers();
  bool reachedEnd = false;
  metafile.ForEachRecord([&](const Record& record) {
    if (context.TimeUp()) return false;
    if (record.type == kEmrEof) reachedEnd = true;
    Handler handler = handlers.Find(record.type);
    if (!handler) return true;  // records GDI does not draw are passed over
    return handler(context, record);
  });
  return reachedEnd && !context.timedOut;
}

bool PlayMetafile(Surface& surface, const Metafile& metafile, const RectL& destination,
                  const PlaybackOptions& options) {
  bool complete;
  {
    playback::RasterDevice device(surface);
    complete = PlayMetafile(device, metafile, destination, options);
  }
  if (surface.IsMonochrome()) surface.SnapToMonochrome();
  return complete;
}

}  // namespace velto::emf
