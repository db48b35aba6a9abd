// The layout of the data block's header: the one description the runtime
// reads and the authoring tool writes. No platform calls, so the tool links
// it as it is.
#ifndef VOQ_DATA_SAVER_HEADER_H
#define VOQ_DATA_SAVER_HEADER_H

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
// Byte positions inside the header. The int32 after the magic, bytes 128..136,
// 139, 140 and the tail are the tool's own; the runtime reads none of them.
static const int kHeaderFormatVersionAt = 18;
static const int kHeaderSlotsAt = 22;
static const int kHeaderObjectCountAt = 127;
static const int kHeaderUseBackgroundAt = 137;
static const int kHeaderBackgroundIndexAt = 138;
static const int kHeaderTailAt = 141;
// The field holds at most this many copies of the picture.
static const int kMaxObjects = 50;

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

// A little-endian int32 of the header.
int32_t HeaderInt32(const uint8_t* at);

// Decodes a 396-byte header image. Returns 1, or 0 (header untouched) when
// the magic differs.
int ParseSaverHeader(const uint8_t* bytes, SaverHeader* header);
// The same fields whatever the magic says, for reports on foreign blocks.
void ReadSaverFields(const uint8_t* bytes, SaverHeader* header);

// Writes header as the 396 bytes ParseSaverHeader reads: the magic, then
// formatVersion, the slots and the settings; the tool's other bytes are zero.
void EncodeSaverHeader(const SaverHeader* header, int32_t formatVersion, uint8_t* bytes);

#endif
