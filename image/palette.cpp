// The display palette from the GIF's colour table, and the darkest entry.
//
// The palette is the table the picture's pixels index: the image's local
// colour table when it has one, otherwise the global one. Entries the table
// does not cover (a short table, a file that ends early) are black. A GIF
// without any colour table gets a grey ramp over the values its code size
// allows, black to white.
#include "image/palette.h"

#include "image/gif_blocks.h"

PALETTEENTRY paletteEntries[256];
int backgroundIndex;

static const int kPaletteSize = 256;

// The file handle read through a small buffer, a byte at a time.
struct HandleReader {
  HANDLE file;
  DWORD at;
  DWORD length;
  uint8_t buffer[512];
};

static int NextFileByte(void* source) {
  HandleReader* reader = (HandleReader*)source;
  if (reader->at == reader->length) {
    reader->at = 0;
    if (!ReadFile(reader->file, reader->buffer, sizeof reader->buffer, &reader->length, NULL))
      reader->length = 0;
    if (reader->length == 0) return -1;
  }
  return reader->buffer[reader->at++];
}

// Reads up to n bytes; returns how many there were.
static int ReadBytes(HandleReader* reader, uint8_t* to, int n) {
  for (int i = 0; i < n; i++) {
    int byte = NextFileByte(reader);
    if (byte < 0) return i;
    to[i] = (uint8_t)byte;
  }
  return n;
}

// Reads the colour table announced by packed; returns its complete entries.
static int ReadTable(HandleReader* reader, uint8_t* rgb, int packed) {
  return ReadBytes(reader, rgb, GifColorTableBytes(packed)) / 3;
}

// Fills rgb with the picture's colours; returns how many entries it filled.
static int ReadColors(HandleReader* reader, uint8_t* rgb) {
  uint8_t header[kGifHeaderSize];
  if (ReadBytes(reader, header, kGifHeaderSize) < kGifHeaderSize) return 0;
  int colors = 0;
  if (header[kGifScreenPacked] & kGifColorTableFlag)
    colors = ReadTable(reader, rgb, header[kGifScreenPacked]);
  uint8_t descriptor[kGifDescriptorSize];
  if (!SkipToImage(NextFileByte, reader) ||
      ReadBytes(reader, descriptor, kGifDescriptorSize) < kGifDescriptorSize)
    return colors;
  int packed = descriptor[kGifDescriptorSize - 1];
  if (packed & kGifColorTableFlag) return ReadTable(reader, rgb, packed);
  if (colors > 0) return colors;

  int minCodeSize = NextFileByte(reader);
  int levels = minCodeSize >= 1 && minCodeSize < 8 ? 1 << minCodeSize : kPaletteSize;
  for (int i = 0; i < levels; i++) rgb[3 * i] = rgb[3 * i + 1] = rgb[3 * i + 2] = (uint8_t)(i * 255 / (levels - 1));
  return levels;
}

int LoadGifPalette(const char* path, PALETTEENTRY* entries, int32_t offset) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return 2;
  HandleReader reader;
  reader.file = file;
  reader.at = reader.length = 0;
  uint8_t rgb[3 * kPaletteSize];
  int colors = 0;
  if (SetFilePointer(file, offset, NULL, FILE_BEGIN) != INVALID_SET_FILE_POINTER)
    colors = ReadColors(&reader, rgb);
  CloseHandle(file);
  for (int i = 0; i < kPaletteSize; i++) {
    const uint8_t* color = rgb + 3 * i;
    bool known = i < colors;
    entries[i].peRed = known ? color[0] : 0;
    entries[i].peGreen = known ? color[1] : 0;
    entries[i].peBlue = known ? color[2] : 0;
  }
  return 0;
}

void ChooseBackgroundIndex(const PALETTEENTRY* entries, int useHeader, int headerIndex) {
  if (useHeader) {
    backgroundIndex = headerIndex;
  } else {
    PickDarkestIndex(entries);
  }
}

void PickDarkestIndex(const PALETTEENTRY* entries) {
  int best = 0xFFFFFF;
  for (int i = 0; i < kPaletteSize; i++) {
    int sum = entries[i].peRed + entries[i].peGreen + entries[i].peBlue;
    if (sum <= best) {
      best = sum;
      backgroundIndex = i;
    }
  }
}
