// 8-bit palette BMP files: written by extract, read back from the runtime's
// frame captures.
#ifndef VOQ_TOOLS_BMP_H
#define VOQ_TOOLS_BMP_H

#include "files.h"
#include "gif_io.h"

// An uncompressed 8-bit BMP with all 256 palette entries, rows bottom-up.
Bytes EncodeBmp8(const IndexedPicture& picture);

// Reads an 8-bit BMP (as SDL_LoadBMP does: either row order, any header version);
// throws ToolError for anything else.
IndexedPicture DecodeBmp8(const Bytes& bytes);

#endif
