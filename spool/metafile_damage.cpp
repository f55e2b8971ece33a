#include "spool/metafile_damage.h"

namespace velto {

std::optional<std::string> MetafileDamage(const emf::Metafile& metafile) {
  if (metafile.CutShort()) {
    const auto& header = metafile.Header();
    const uint64_t claimed = std::max<uint64_t>(header.bytes, header.headerSize);
    return "its metafile is cut short: " + std::to_string(metafile.Bytes().size()) + " of " +
           std::to_string(claimed) + " bytes";
  }
  bool reachedEnd = false;
  metafile.ForEachRecord([&reachedEnd](const emf::Record& record) {
    reachedEnd = record.type == emf::kEmrEof;
    return true;
  });
  if (!reachedEnd) return std::string("its records stop before the end of the metafile");
  return std::nullopt;
}

std::string UnreadablePageReason(const std::string& loadError) {
  if (loadError.empty()) return "its metafile cannot be read";
  return "its metafile cannot be read (" + loadError + ")";
}

}  // namespace velto
