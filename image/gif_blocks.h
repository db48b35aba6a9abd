// The GIF layout shared by the decoder and the palette loader, and the walk
// from the global colour table to the first image. The two read the file by
// different means, so the walk takes its bytes from a callback.
#ifndef VOQ_IMAGE_GIF_BLOCKS_H
#define VOQ_IMAGE_GIF_BLOCKS_H

#include <stdint.h>

// Signature, version and logical screen descriptor.
static const int kGifHeaderSize = 13;
static const int kGifScreenPacked = 10;
// After the image separator: left, top, width, height, then the packed byte.
static const int kGifDescriptorSize = 9;
// Set in a packed byte when a colour table follows (screen or image descriptor).
static const int kGifColorTableFlag = 0x80;
static const int kGifImageSeparator = 0x2C;
static const int kGifExtensionIntroducer = 0x21;

// Bytes of the colour table announced by a packed byte's size bits.
inline int GifColorTableBytes(int packed) { return 3 << ((packed & 7) + 1); }

// The next byte of the GIF, or -1 when there is none.
typedef int (*GifByteReader)(void* source);

// Reads from just after the global colour table up to and including the image
// separator. Extension blocks are passed over whole, so a 0x2C inside one is
// not taken for the separator; any other stray byte is skipped. Returns 1 once
// the separator has been read, 0 when the bytes ran out first.
int SkipToImage(GifByteReader next, void* source);

#endif
