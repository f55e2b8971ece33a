#include "player.h"

#include <chrono>

#include "playback/context.h"
#include "playback/handlers.h"

namespace velto::emf {

bool PlayMetafile(Surface& surface, const Metafile& metafile, const RectL& destination,
                  const PlaybackOptions& options) {
  using namespace playback;
  Context context(surface, metafile.Header(), destination);
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
  if (surface.IsMonochrome()) surface.SnapToMonochrome();
  return reachedEnd && !context.timedOut;
}

}  // namespace velto::emf
