#pragma once
#include <optional>
#include <string>

#include "platform/emf/metafile.h"

#include "spool/spool_job.h"

namespace velto {

// Reserves a fresh temporary page name ("tmp…" in the temporary directory). The file is created
// exclusively (owner-only) and kept, so no other process can take the name; ExtractPage writes into it.
// False when no name could be had (the name is then empty).
bool MakeTempPageName(std::string& name);
// Copies page k (1 ≤ k ≤ pageCount) of the spool file into the file `tempName`, in whole 2048-byte
// blocks up to the next page (the last page: to the end of the file); on success the job's pageFile
// names it. On failure pageFile is unchanged and the reserved file `tempName` is removed, so a skipped
// page leaves nothing behind. A name of 256 characters or more is refused and left alone.
bool ExtractPage(const std::string& spoolPath, const std::string& tempName, int k, SpoolJob& job);

// Page k's metafile straight from the spool file, without a page file: the same metafile that
// ExtractPage and Metafile::Load give (the copy in whole blocks, cut to the header's byte count).
// `extracted` is false when the page cannot be read out of the spool file (as when ExtractPage fails);
// otherwise no value means the page is no readable metafile, with the loader's words in `loadError`.
std::optional<emf::Metafile> ReadPageMetafile(const std::string& spoolPath, int k, const SpoolJob& job,
                                              bool& extracted, std::string& loadError);

// The reason for a page that page extraction could not copy out of the spool file.
inline constexpr const char* kPageNotExtractedReason = "the page cannot be copied out of the print job";

}  // namespace velto
