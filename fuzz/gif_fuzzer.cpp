// The GIF decoder and palette loader on arbitrary GIF bytes inside a saver file.
//
// Input: byte 0 and 1 choose the slot's width and height (1..64), byte 2 the
// slot's size (< 192: the GIF's length; 192..254: a part of it; 255: -1, no
// bound), the rest is the GIF at the saver's usual offset.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "data/saver_data.h"
#include "fuzz/fuzz_file.h"
#include "image/gif_decoder.h"
#include "image/palette.h"
#include "tools/memory_surface.h"

static const int kSurfaceSide = 64;
static const off_t kGifOffset = kDataBlockOffset + kSaverHeaderSize + 1;

static void Fail(const char* what) {
  fprintf(stderr, "%s\n", what);
  abort();
}

static void CheckOutside(const MemorySurface& surface, int width, int height) {
  if (!surface.Damage().empty()) Fail(("written outside the surface: " + surface.Damage()).c_str());
  for (int y = 0; y < kSurfaceSide; y++)
    for (int x = 0; x < kSurfaceSide; x++)
      if ((x >= width || y >= height) && surface.At(x, y) != MemorySurface::kFill)
        Fail("written outside the locked rectangle");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzFile file;
  if (size < 3) return 0;
  int width = 1 + data[0] % kSurfaceSide;
  int height = 1 + data[1] % kSurfaceSide;
  const uint8_t* gif = data + 3;
  size_t length = size - 3;
  int32_t slotSize = data[2] < 192    ? (int32_t)length
                     : data[2] == 255 ? -1
                                      : (int32_t)(length * (size_t)(data[2] - 192) / 63);
  file.Write(gif, length, kGifOffset);

  static MemorySurface surface(kSurfaceSide, kSurfaceSide);
  surface.Fill(MemorySurface::kFill);
  surface.lockCalls = surface.unlockCalls = 0;
  int result = DecodeGif(file.path(), &surface, width, height, (int32_t)kGifOffset, slotSize);
  if (result != 0 && result != 1) Fail("result neither 0 nor 1");
  if (surface.locked || surface.unlockCalls != surface.lockCalls) Fail("surface not unlocked");
  CheckOutside(surface, width, height);

  PALETTEENTRY entries[256] = {};
  if (LoadGifPalette(file.path(), entries, (int32_t)kGifOffset) != 0) Fail("palette file not opened");
  for (const PALETTEENTRY& entry : entries)
    if (entry.peFlags != 0) Fail("palette flags written");
  PickDarkestIndex(entries);
  if (backgroundIndex < 0 || backgroundIndex > 255) Fail("background index out of range");
  CheckNoFileLeft();
  return 0;
}
