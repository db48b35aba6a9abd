#include "image/gif_blocks.h"

// Passes over the sub-blocks that follow an extension label, up to and
// including the zero-length terminator. Returns 0 when the bytes ran out.
static int SkipSubBlocks(GifByteReader next, void* source) {
  for (;;) {
    int length = next(source);
    if (length <= 0) return length == 0;
    while (length-- > 0)
      if (next(source) < 0) return 0;
  }
}

int SkipToImage(GifByteReader next, void* source) {
  for (;;) {
    int byte = next(source);
    if (byte < 0) return 0;
    if (byte == kGifImageSeparator) return 1;
    if (byte == kGifExtensionIntroducer) {
      if (next(source) < 0 || !SkipSubBlocks(next, source)) return 0;
    }
  }
}
