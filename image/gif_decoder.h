// The GIF subset reader that decodes slot 0's picture into its surface.
#ifndef VOQ_IMAGE_GIF_DECODER_H
#define VOQ_IMAGE_GIF_DECODER_H

#include <stdint.h>
#include <stdio.h>
#include <ddraw.h>

// Decodes the GIF at offset (size bytes at most) of the file at path into
// surface, which is width x height pixels of 8 bits. Returns 1 when decoded
// (and when the lock fails, after the "lock error" box), 0 when the file
// cannot be opened, the signature is not "GIF" or the minimum code size is
// outside 2..9.
// Also 0, without opening the file, when there is no surface (it could not be
// made) or width or height is not positive; 0 without locking when no
// image starts within the slot's bytes, when the image is empty, and 0 after
// unlocking when there is no memory for the tables. Damaged data are decoded
// as far as they go (result 1): nothing is drawn outside width x height, the
// surface is always unlocked and the file closed.
int DecodeGif(const char* path, LPDIRECTDRAWSURFACE surface, int32_t width, int32_t height,
              int32_t offset, int32_t size);

// Where the latest DecodeGif that returned 0 stopped; the authoring tool
// names the reason with it.
enum GifDecodeStop {
  kGifStopSize = 1,    // no surface, or a size that is not positive
  kGifStopFile,        // the file cannot be opened
  kGifStopSignature,   // bad offset, or no "GIF" there
  kGifStopNoImage,     // no image separator within the slot's bytes
  kGifStopEmptyImage,  // the image is 0 pixels wide or high
  kGifStopCodeSize,    // minimum code size outside 2..9
  kGifStopMemory,      // no memory for the tables
};
extern int gifDecodeStop;

// One image-data byte, or -1 once the GIF byte count passes limit.
int ReadGifByte(uint32_t limit);
// A little-endian 16-bit field from stream.
int ReadLe16(FILE* stream);
// The next LZW code of the current width.
// (-1 once the data have ended, and outside a decode.)
int ReadCode(uint32_t limit);

#endif
