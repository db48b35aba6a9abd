// The display palette taken from the GIF's colour table, and the background index.
#ifndef VOQ_IMAGE_PALETTE_H
#define VOQ_IMAGE_PALETTE_H

#include <stdint.h>
#include <windows.h>

extern PALETTEENTRY paletteEntries[256];
extern int backgroundIndex;

// Reads the colour table of the GIF at offset of the file at path into
// entries (red, green, blue; flags untouched). Returns 0, or 2 when the file
// cannot be opened (entries untouched).
// The table is the one the pixels index: the image's local table, else the
// global one; entries it does not cover are black, and a GIF without any
// table gets a grey ramp over its code values.
int LoadGifPalette(const char* path, PALETTEENTRY* entries, int32_t offset);

// Sets backgroundIndex to the darkest entry (unweighted sum; the last of equals wins).
void PickDarkestIndex(const PALETTEENTRY* entries);
// Sets backgroundIndex to headerIndex when useHeader is nonzero, else as
// PickDarkestIndex does. Nothing else in the program writes backgroundIndex.
void ChooseBackgroundIndex(const PALETTEENTRY* entries, int useHeader, int headerIndex);

#endif
