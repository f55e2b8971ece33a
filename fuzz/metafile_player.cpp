// Feeds arbitrary bytes to the metafile reader and plays whatever opens onto a small surface.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/emf/metafile.h"
#include "platform/emf/player.h"
#include "platform/emf/surface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto metafile = velto::emf::Metafile::FromBytes(std::vector<uint8_t>(data, data + size));
  if (!metafile) return 0;
  auto surface = velto::emf::Surface::Create(200, 200, velto::emf::Surface::Kind::Colour);
  if (!surface) return 0;
  surface->FillRect({0, 0, 200, 200}, velto::emf::kWhite);
  velto::emf::PlaybackOptions options;
  options.timeLimitSeconds = 1;
  velto::emf::PlayMetafile(*surface, *metafile, {10, 10, 190, 190}, options);
  return 0;
}
