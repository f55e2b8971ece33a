#pragma once
// Record handlers, one family per file, gathered into one table by record type. A handler returns false
// when the record is malformed; playback then ends, as GDI's does.

#include <array>
#include <vector>

#include "metafile.h"
#include "playback/context.h"

namespace velto::emf::playback {

using Handler = bool (*)(Context&, const Record&);

struct HandlerTable {
  std::array<Handler, 128> byType{};
  void Set(uint32_t type, Handler h) {
    if (type < byType.size()) byType[type] = h;
  }
  Handler Find(uint32_t type) const { return type < byType.size() ? byType[type] : nullptr; }
};

void RegisterStateHandlers(HandlerTable& table);
void RegisterObjectHandlers(HandlerTable& table);
void RegisterShapeHandlers(HandlerTable& table);
void RegisterPathHandlers(HandlerTable& table);
void RegisterClipHandlers(HandlerTable& table);
void RegisterTextHandlers(HandlerTable& table);
void RegisterBitmapHandlers(HandlerTable& table);

const HandlerTable& Handlers();

// Field access shared by the handlers: offsets count from the start of the record.
inline bool Fits(const Record& rec, size_t bytes) { return rec.bytes.size() >= bytes; }
inline int32_t I32At(const Record& rec, size_t offset) { return rec.Reader().I32Or(offset); }
inline uint32_t U32At(const Record& rec, size_t offset) { return rec.Reader().U32Or(offset); }
inline float F32At(const Record& rec, size_t offset) { return rec.Reader().F32(offset).value_or(0.0f); }

// Reads `count` points (16- or 32-bit) at `offset`; false when they do not fit the record.
bool ReadPoints(const Record& rec, size_t offset, uint32_t count, bool small, std::vector<PointD>& out);

// GDI draws nothing for points beyond its 27-bit coordinate space.
bool WithinGdiRange(const std::vector<PointD>& logical);

// Region data (RGNDATA) at `offset`, `size` bytes, in recording-device pixels, put onto the surface.
std::optional<Region> ReadRegion(const Context& ctx, const Record& rec, size_t offset, size_t size);

}  // namespace velto::emf::playback
