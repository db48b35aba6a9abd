#include "data/saver_data.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

SaverHeader saverHeader;

static int32_t TakeInt32(const uint8_t** at) {
  const uint8_t* p = *at;
  *at += 4;
  return (int32_t)((uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) |
                   ((uint32_t)p[3] << 24));
}

int ParseSaverHeader(const uint8_t* bytes, SaverHeader* header) {
  if (memcmp(bytes, kSaverMagic, kSaverMagicLength) != 0) return 0;
  // The int32 after the magic belongs to the authoring tool.
  const uint8_t* at = bytes + kSaverMagicLength + 4;
  for (int i = 0; i < kImageSlotCount; i++) {
    ImageSlot* slot = &header->slots[i];
    slot->width = TakeInt32(&at);
    slot->height = TakeInt32(&at);
    slot->colorKey = TakeInt32(&at);
    slot->offset = TakeInt32(&at);
    slot->size = TakeInt32(&at);
    slot->type = *at++;
  }
  header->objectCount = bytes[127];
  // Bytes 128..136, 139, 140 and the 255-byte tail are the tool's own.
  header->useBackground = bytes[137];
  header->backgroundIndex = bytes[138];
  return 1;
}

int ReadSaverData(const char* path) {
  FILE* file = fopen(path, "rb");
  if (file == NULL) {
    MessageBoxA(NULL, "error opening file", "", MB_OK);
    return 0;
  }
  uint8_t bytes[kSaverHeaderSize];
  size_t got = 0;
  if (fseek(file, kDataBlockOffset, SEEK_SET) == 0) got = fread(bytes, 1, sizeof bytes, file);
  fclose(file);
  // A file that ends inside the header is as corrupt as a wrong magic.
  if (got != sizeof bytes) return 0;
  return ParseSaverHeader(bytes, &saverHeader);
}
