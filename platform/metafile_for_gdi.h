#pragma once
// A metafile as GDI may be handed it. GDI takes the sizes, counts and offsets inside a record as they
// stand: a record size reaching past the end, an object index beyond the handle table or a count larger
// than its record makes it read beyond its buffers (Wine's GDI crashes on each of them). Before a page
// is played by the system, the records are walked as the engine walks them, and the page ends at the
// first record whose size or contents do not fit (where GDI's own playback stops at a record it cannot
// play, and the engine's too). The result ends with an EOF record, its header's byte, record and handle
// counts to match. A sound metafile goes as it is, without a copy.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/emf/metafile.h"

namespace velto::platform {

struct MetafileForGdi {
  std::span<const uint8_t> original;  // the metafile as it is, when it is sound
  std::vector<uint8_t> copy;          // otherwise the records that fit, ended by EOF
  bool complete = true;               // every record up to EOF is there
  int recordsLeftOut = 0;             // records from the first that does not fit to the end

  std::span<const uint8_t> Bytes() const { return copy.empty() ? original : std::span<const uint8_t>(copy); }
};

MetafileForGdi PrepareMetafileForGdi(const emf::Metafile& metafile);

// True when the contents of one record (8-byte prefix included) fit the record and the object table
// of `handles` slots, for the records whose counts and offsets GDI follows; `bytesAfter` more bytes of
// the metafile follow the record.
bool RecordFitsForGdi(uint32_t type, std::span<const uint8_t> record, uint32_t handles, size_t bytesAfter = 0);

}  // namespace velto::platform
