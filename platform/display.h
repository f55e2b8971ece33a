#pragma once
// The display, as far as the page writers ask about it: its colour depth and the width of a full-screen
// window's client area. VELTO_SCREEN_BITS and VELTO_SCREEN_WIDTH stand in for a real display's answers.

namespace velto::platform {

// Planes × bits per pixel of the display: 24 unless VELTO_SCREEN_BITS says otherwise.
int DisplayColourDepth();
// SM_CXFULLSCREEN: 1280 unless VELTO_SCREEN_WIDTH says otherwise.
int FullScreenClientWidth();

}  // namespace velto::platform
