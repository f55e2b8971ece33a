#pragma once
// Telling a damaged page metafile from a whole one: a metafile cut short (the file ends before the byte
// count of its header) or one whose records stop before the end-of-file record is drawn as far as it
// goes, and the page is reported as damaged.

#include <optional>
#include <string>

#include "platform/emf/metafile.h"

namespace velto {

// What is wrong with the metafile, in words for a message ("its metafile is cut short: 1200 of 5000
// bytes"); no value for a whole metafile.
std::optional<std::string> MetafileDamage(const emf::Metafile& metafile);

// The reason given for a page whose metafile could not be read at all; `loadError` is what the reader
// said.
std::string UnreadablePageReason(const std::string& loadError);

// The reason given for a page whose playback stopped before the end of its records.
inline constexpr const char* kPlaybackStoppedReason = "its metafile stops playing at a damaged record";

}  // namespace velto
