#include "data/saver_header.h"

#include <string.h>

int32_t HeaderInt32(const uint8_t* at) {
  return (int32_t)((uint32_t)at[0] | ((uint32_t)at[1] << 8) | ((uint32_t)at[2] << 16) |
                   ((uint32_t)at[3] << 24));
}

static void PutInt32(uint8_t* at, int32_t value) {
  uint32_t bits = (uint32_t)value;
  for (int i = 0; i < 4; i++) at[i] = (uint8_t)(bits >> (8 * i));
}

void ReadSaverFields(const uint8_t* bytes, SaverHeader* header) {
  for (int i = 0; i < kImageSlotCount; i++) {
    const uint8_t* at = bytes + kHeaderSlotsAt + i * kImageSlotSize;
    ImageSlot* slot = &header->slots[i];
    slot->width = HeaderInt32(at);
    slot->height = HeaderInt32(at + 4);
    slot->colorKey = HeaderInt32(at + 8);
    slot->offset = HeaderInt32(at + 12);
    slot->size = HeaderInt32(at + 16);
    slot->type = at[20];
  }
  header->objectCount = bytes[kHeaderObjectCountAt];
  header->useBackground = bytes[kHeaderUseBackgroundAt];
  header->backgroundIndex = bytes[kHeaderBackgroundIndexAt];
}

int ParseSaverHeader(const uint8_t* bytes, SaverHeader* header) {
  if (memcmp(bytes, kSaverMagic, kSaverMagicLength) != 0) return 0;
  ReadSaverFields(bytes, header);
  return 1;
}

void EncodeSaverHeader(const SaverHeader* header, int32_t formatVersion, uint8_t* bytes) {
  memset(bytes, 0, kSaverHeaderSize);
  memcpy(bytes, kSaverMagic, kSaverMagicLength);
  PutInt32(bytes + kHeaderFormatVersionAt, formatVersion);
  for (int i = 0; i < kImageSlotCount; i++) {
    uint8_t* at = bytes + kHeaderSlotsAt + i * kImageSlotSize;
    const ImageSlot* slot = &header->slots[i];
    PutInt32(at, slot->width);
    PutInt32(at + 4, slot->height);
    PutInt32(at + 8, slot->colorKey);
    PutInt32(at + 12, slot->offset);
    PutInt32(at + 16, slot->size);
    at[20] = slot->type;
  }
  bytes[kHeaderObjectCountAt] = header->objectCount;
  bytes[kHeaderUseBackgroundAt] = header->useBackground;
  bytes[kHeaderBackgroundIndexAt] = header->backgroundIndex;
}
