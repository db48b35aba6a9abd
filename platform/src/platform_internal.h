// What the pieces of platform/ tell each other; the program never sees this.
#ifndef VOQ_PLATFORM_INTERNAL_H
#define VOQ_PLATFORM_INTERNAL_H

#include <ddraw.h>

// Shows a frame: width x height palette indices with the given pitch, coloured
// through palette (256 entries). Presents to the saver window when there is
// one, writes the frame to VOQ_CAPTURE_DIR when set, and counts frames for
// VOQ_FRAMES. Called by the software DirectDraw whenever the screen changes:
// a flip, a blit or fill onto the primary surface, new entries in its palette.
// newFrame is true for a flip and for a copy from another surface onto the
// primary (what the program presents as a frame; a flip also waits for the
// display's refresh), false for fills and palette changes, which update the
// screen but are not frames to capture or count. damage (NULL when nothing
// is known) tells where the frame may differ from the value of all its other
// pixels.
struct Damage;
void PlatformPresent(const BYTE* pixels, LONG pitch, int width, int height,
                     const PALETTEENTRY* palette, bool newFrame, const Damage* damage);

// Colours width x height palette indices into 32-bit pixels 0xFFRRGGBB (the
// layout of SDL_PIXELFORMAT_ARGB8888) through palette (256 entries); out
// advances outPitch bytes per row, unscaled; the row conversion presentation
// runs (frame_paint.h).
void PlatformConvertFrame(const BYTE* pixels, LONG pitch, int width, int height,
                          const PALETTEENTRY* palette, uint32_t* out, LONG outPitch);

// The 20 static colours (0..9 and 246..255) that GetSystemPaletteEntries gives.
extern const PALETTEENTRY kPlatformSystemColors[20];

// True when SDL has a real display (not the dummy driver).
bool PlatformHasDisplay(void);

// Writes caption and text of a message box to standard error, as every box is.
void PlatformEchoMessage(const char* caption, const char* text);

#endif
