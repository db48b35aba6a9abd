// STAND-IN until the palette loader lands.
#include "image/palette.h"

PALETTEENTRY paletteEntries[256];
int backgroundIndex;

int LoadGifPalette(const char*, PALETTEENTRY*, int32_t) { return 2; }
void PickDarkestIndex(const PALETTEENTRY*) {}
