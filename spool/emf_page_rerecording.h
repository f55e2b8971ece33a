#pragma once
// The re-recorded copy of a page that WriteEmfPage makes on Windows 2000: a new metafile on the screen
// as reference device that draws the page scaled into (0, 0, w, h).

#include <cstdint>
#include <string>
#include <vector>

#include "platform/emf/geometry.h"
#include "platform/emf/metafile.h"

namespace velto {

// The page rectangle's size: the page's pixel size (the fallback page size when it is 5000 or more
// wide or 6000 or more high), times 0.96, truncated.
emf::SizeL EmfPageRectangle(const emf::Metafile& page);

// The recorded copy: a pair of framing lines drawn in R2_NOTXORPEN (the second undoes the first on
// playback, while the picture's bounds take in the whole rectangle), then the page's own records
// (without its header and EOF) inside SAVEDC/RESTOREDC under a world transform that maps the page's
// picture frame onto the rectangle.
std::vector<uint8_t> RerecordEmfPage(const emf::Metafile& page);

}  // namespace velto
