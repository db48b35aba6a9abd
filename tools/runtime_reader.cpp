#include "runtime_reader.h"

#include <cstring>

#include "data/saver_data.h"
#include "image/gif_decoder.h"
#include "image/palette.h"
#include "memory_surface.h"

namespace {

std::string StopText(int stop) {
  switch (stop) {
    case kGifStopSize: return "slot 0 has no picture size";
    case kGifStopFile: return "the file cannot be opened";
    case kGifStopSignature: return "no GIF signature at slot 0's offset";
    case kGifStopNoImage: return "no image starts within slot 0's bytes";
    case kGifStopEmptyImage: return "the image has no pixels";
    case kGifStopCodeSize: return "LZW minimum code size outside 2 to 9";
    case kGifStopMemory: return "no memory for its tables";
  }
  return "result 0";
}

}  // namespace

bool ReadHeaderAsRuntime(const std::string& path, SaverHeader* header) {
  if (ReadSaverData(path.c_str()) != 1) return false;
  *header = saverHeader;
  return true;
}

RuntimeDecode DecodeAsRuntime(const std::string& path, int32_t width, int32_t height,
                              int32_t offset, int32_t size) {
  RuntimeDecode decode;
  MemorySurface blank(width, height);
  MemorySurface full(width, height);
  blank.Fill(0x00);
  full.Fill(0xFF);
  decode.result = DecodeGif(path.c_str(), &blank, width, height, offset, size);
  if (decode.result == 0) decode.stop = StopText(gifDecodeStop);
  DecodeGif(path.c_str(), &full, width, height, offset, size);
  decode.picture.width = width;
  decode.picture.height = height;
  decode.picture.indices.resize((size_t)width * height);
  for (int y = 0; y < height; y++) {
    std::memcpy(&decode.picture.indices[(size_t)y * width], blank.Row(y), (size_t)width);
    for (int x = 0; x < width; x++) decode.unwrittenPixels += blank.At(x, y) != full.At(x, y);
  }

  PALETTEENTRY entries[256];
  std::memset(entries, 0, sizeof entries);
  decode.paletteLoaded = LoadGifPalette(path.c_str(), entries, offset) == 0;
  for (int i = 0; i < 256; i++)
    decode.picture.palette[i] = {entries[i].peRed, entries[i].peGreen, entries[i].peBlue};
  return decode;
}

namespace {

void ToEntries(const Palette& palette, PALETTEENTRY* entries) {
  for (int i = 0; i < 256; i++) entries[i] = {palette[i].red, palette[i].green, palette[i].blue, 0};
}

}  // namespace

int PickDarkestAsRuntime(const Palette& palette) {
  PALETTEENTRY entries[256];
  ToEntries(palette, entries);
  PickDarkestIndex(entries);
  return backgroundIndex;
}

int BackgroundAsRuntime(const Palette& palette, const SaverHeader& header) {
  PALETTEENTRY entries[256];
  ToEntries(palette, entries);
  ChooseBackgroundIndex(entries, header.useBackground, header.backgroundIndex);
  return backgroundIndex;
}
