// The saver data reader on an arbitrary data block, and the header parser on
// the same bytes: both must agree, and a block shorter than the header is
// refused.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "data/saver_data.h"
#include "fuzz/fuzz_file.h"

static void Fail(const char* what) {
  fprintf(stderr, "%s\n", what);
  abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzFile file;
  uint8_t bytes[kSaverHeaderSize] = {};
  memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);
  SaverHeader parsed;
  memset(&parsed, 0, sizeof parsed);
  int parsedResult = ParseSaverHeader(bytes, &parsed);
  if (parsedResult != 0 && parsedResult != 1) Fail("parser result neither 0 nor 1");
  if ((parsedResult == 1) != (memcmp(bytes, kSaverMagic, kSaverMagicLength) == 0))
    Fail("parser disagrees with the magic");

  file.Write(data, size, kDataBlockOffset);
  memset(&saverHeader, 0xA5, sizeof saverHeader);
  int result = ReadSaverData(file.path());
  int expected = size >= (size_t)kSaverHeaderSize ? parsedResult : 0;
  if (result != expected) Fail("reader and parser disagree");
  if (result == 1) {
    for (int i = 0; i < kImageSlotCount; i++) {
      const ImageSlot& a = saverHeader.slots[i];
      const ImageSlot& b = parsed.slots[i];
      if (a.width != b.width || a.height != b.height || a.colorKey != b.colorKey || a.offset != b.offset ||
          a.size != b.size || a.type != b.type)
        Fail("slot differs");
      const uint8_t* raw = bytes + kSaverMagicLength + 4 + i * kImageSlotSize;
      int32_t width;
      memcpy(&width, raw, 4);
      if (a.width != width || a.type != raw[20]) Fail("slot not read from its place");
    }
    if (saverHeader.objectCount != bytes[127] || saverHeader.useBackground != bytes[137] ||
        saverHeader.backgroundIndex != bytes[138])
      Fail("header bytes not read from their place");
  }
  CheckNoFileLeft();
  return 0;
}
