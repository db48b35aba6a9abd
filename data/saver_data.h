// The data block the authoring tool appends to the runtime's own file.
#ifndef VOQ_DATA_SAVER_DATA_H
#define VOQ_DATA_SAVER_DATA_H

#include <stdint.h>

// Where the block starts in the saver file; the runtime must fit in front of it.
static const int32_t kDataBlockOffset = 57344;
// Colour key value meaning "no transparent colour".
static const int32_t kNoColorKey = 999;
// Size of the header as stored, and of its magic.
static const int kSaverHeaderSize = 396;
static const int kImageSlotCount = 5;
static const int kImageSlotSize = 21;
#define kSaverMagic "Quillovarnenthodex"
static const int kSaverMagicLength = 18;

struct ImageSlot {
  int32_t width;
  int32_t height;
  int32_t colorKey;  // palette index 0..255, or kNoColorKey
  int32_t offset;    // absolute file offset of the GIF
  int32_t size;      // GIF size in bytes
  uint8_t type;      // 'g' for a GIF; anything else means no picture
};

struct SaverHeader {
  ImageSlot slots[kImageSlotCount];
  uint8_t objectCount;
  uint8_t useBackground;
  uint8_t backgroundIndex;
};

extern SaverHeader saverHeader;

// Reads the header at kDataBlockOffset of the file at path into saverHeader.
// Returns 1 on success. Returns 0 after showing "error opening file" when the
// file cannot be opened, and 0 silently when the magic differs or the file
// ends inside the header (the caller then reports "corrupt header").
int ReadSaverData(const char* path);

// Decodes a 396-byte header image; the same rules as ReadSaverData, no I/O.
// Used by the reader and by the authoring tool.
int ParseSaverHeader(const uint8_t* bytes, SaverHeader* header);

#endif
