// STAND-IN until the GIF decoder lands: decodes nothing.
#include "image/gif_decoder.h"

int DecodeGif(const char*, LPDIRECTDRAWSURFACE, int32_t, int32_t, int32_t, int32_t) { return 0; }
int ReadGifByte(uint32_t) { return -1; }
int ReadLe16(FILE*) { return 0; }
int ReadCode(uint32_t) { return 0; }
