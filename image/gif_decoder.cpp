// Decodes slot 0's GIF straight into the locked picture surface.
//
// Damaged or unusual input never writes outside the locked rectangle: the
// picture is drawn in the GIF's own geometry and clipped to the surface, and
// the decode stops, keeping the pixels so far, where the data end early
// (zero-length sub-block, slot size, end of file), where a code names a
// string that does not exist yet, and once the last row is full.
#include "image/gif_decoder.h"

#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include "image/gif_blocks.h"

static const int kMinCodeSize = 2;
static const int kMaxCodeSize = 9;
static const int kMaxCodeBits = 12;
static const int kMaxCodes = 1 << kMaxCodeBits;
static const int kTableEntries = kMaxCodes + 1;
static const int kInterlacePasses = 4;
static const uint8_t kPassStart[kInterlacePasses] = {0, 4, 2, 1};
static const uint8_t kPassStep[kInterlacePasses] = {8, 8, 4, 2};

// Codes come least significant bit first from one buffered sub-block.
struct BitReader {
  uint32_t bits;
  int bitCount;
  int codeBits;
  const uint8_t* at;
  const uint8_t* end;
};

// The one decode that runs at a time.
static struct {
  FILE* stream;
  uint32_t count;  // GIF bytes consumed so far
  BitReader reader;
  bool dataEnded;
  uint8_t block[255];

  // Output: the GIF's rows, of which only the part inside W x H is stored.
  uint8_t* pixels;
  LONG pitch;
  uint8_t* out;
  int left;         // pixels still to come in the current row
  int visibleLeft;  // of those, how many land inside the surface
  int row;
  int imageWidth;
  int imageHeight;
  int visibleWidth;
  int visibleHeight;
  bool interlaced;
  int pass;
} gif;

static DDSURFACEDESC surfaceDesc;
int gifDecodeStop;

int ReadGifByte(uint32_t limit) {
  if (gif.stream == NULL) return -1;
  int byte = getc(gif.stream);
  return ++gif.count > limit ? -1 : byte;
}

int ReadLe16(FILE* stream) {
  int low = getc(stream);
  int high = getc(stream);
  return low + 256 * high;
}

// Buffers the next data sub-block for reader. Returns 0 once the data have
// ended: a zero length, the end of the file, or bytes beyond the slot's size.
static int ReadSubBlock(BitReader* reader, uint32_t limit) {
  if (gif.dataEnded) return 0;
  int length = ReadGifByte(limit);
  if (length <= 0) {
    gif.dataEnded = true;
    return 0;
  }
  // The length byte was within the limit, so this cannot wrap.
  uint32_t room = limit - gif.count;
  size_t got = fread(gif.block, 1, (size_t)length, gif.stream);
  gif.count += (uint32_t)length;
  if (got > room) got = room;
  if (got < (size_t)length) gif.dataEnded = true;
  reader->at = gif.block;
  reader->end = gif.block + got;
  return got > 0;
}

// Inlined into the decode loop, which keeps its reader in registers.
static inline __attribute__((always_inline)) int NextCode(BitReader* reader, uint32_t limit) {
  while (reader->bitCount < reader->codeBits) {
    if (reader->at == reader->end && !ReadSubBlock(reader, limit)) return -1;
    reader->bits |= (uint32_t)*reader->at++ << reader->bitCount;
    reader->bitCount += 8;
  }
  int code = (int)(reader->bits & ((1u << reader->codeBits) - 1));
  reader->bits >>= reader->codeBits;
  reader->bitCount -= reader->codeBits;
  return code;
}

int ReadCode(uint32_t limit) { return gif.stream != NULL ? NextCode(&gif.reader, limit) : -1; }

static void StartRow(int row) {
  gif.row = row;
  gif.left = gif.imageWidth;
  if (row < gif.visibleHeight) {
    gif.out = gif.pixels + (ptrdiff_t)row * gif.pitch;
    gif.visibleLeft = gif.visibleWidth;
  } else {
    gif.visibleLeft = 0;
  }
}

// Moves to the row after the current one. Returns 0 when no row that can
// still reach the surface follows.
static int NextRow(void) {
  int row = gif.row;
  if (gif.interlaced) {
    row += kPassStep[gif.pass];
    while (row >= gif.imageHeight) {
      if (++gif.pass == kInterlacePasses) return 0;
      row = kPassStart[gif.pass];
    }
  } else if (++row >= gif.visibleHeight) {
    return 0;
  }
  StartRow(row);
  return 1;
}

// Writes n pixels across row ends. Returns 0 once the picture is complete.
static int EmitSpan(const uint8_t* from, int n) {
  for (;;) {
    int run = n < gif.left ? n : gif.left;
    int shown = run < gif.visibleLeft ? run : gif.visibleLeft;
    if (shown > 0) {
      memcpy(gif.out, from, (size_t)shown);
      gif.out += shown;
      gif.visibleLeft -= shown;
    }
    gif.left -= run;
    if (gif.left > 0) return 1;
    from += run;
    n -= run;
    if (!NextRow()) return 0;
    if (n == 0) return 1;
  }
}

// The string table. An entry describes the string of its code: its last two
// pixels, the code of the string without them (valid for three pixels and
// more), the code of the string without its last pixel, and the length, so
// that a string is expanded two pixels per table look-up.
typedef uint64_t TableEntry;
static const int kEntryCodeMask = kMaxCodes - 1;
static inline int EntryRest2(TableEntry entry) { return (int)(entry >> 16) & kEntryCodeMask; }
static inline int EntryPrefix(TableEntry entry) { return (int)(entry >> 28) & kEntryCodeMask; }
static inline int EntryLength(TableEntry entry) { return (int)(entry >> 40); }

// Decodes the code stream into the surface until the end code or one of the
// stops named at the top of this file.
//
// Every entry's prefix is a smaller code defined since the last clear (a code
// above the next free one stops the decode before it can become a prefix), so
// the lengths are exact and a string, with the repeated first pixel, never
// exceeds 4096 - firstFree + 2 pixels: the 4097-byte stack holds any of them.
// A string that fits in the rest of the current row is expanded straight
// into the surface; the others go through the stack and are then laid out
// across row ends.
static void DecodeCodes(int minCodeSize, TableEntry* table, uint8_t* stackTop, uint32_t limit) {
  const int clearCode = 1 << minCodeSize;
  const int endCode = clearCode + 1;
  const int firstFree = clearCode + 2;
  BitReader reader = gif.reader;
  reader.codeBits = minCodeSize + 1;
  int nextFree = firstFree;
  int codeLimit = 2 << minCodeSize;
  // -1: the next code starts afresh (at the start and after a clear code).
  int previous = -1;
  int previousLength = 0;
  int firstPixel = 0;
  for (;;) {
    int code = NextCode(&reader, limit);
    if (code < 0 || code == endCode) return;
    if (code == clearCode) {
      reader.codeBits = minCodeSize + 1;
      codeLimit = 2 << minCodeSize;
      nextFree = firstFree;
      previous = -1;
      continue;
    }
    int length;
    if (previous < 0) {
      if (code >= nextFree) code = 0;
      length = 1;
    } else if (code < firstFree) {
      length = 1;
    } else if (code < nextFree) {
      length = EntryLength(table[code]);
    } else if (code == nextFree) {
      length = previousLength + 1;
    } else {
      return;
    }
    bool direct = length < gif.left && length <= gif.visibleLeft;
    uint8_t* start = direct ? gif.out : stackTop - length;
    uint8_t* at = start + length;
    int k = code;
    int left = length;
    if (code == nextFree) {
      *--at = (uint8_t)firstPixel;
      k = previous;
      left--;
    }
    while (left >= 2) {
      TableEntry entry = table[k];
      at -= 2;
      at[1] = (uint8_t)entry;
      at[0] = (uint8_t)(entry >> 8);
      k = EntryRest2(entry);
      left -= 2;
    }
    if (left > 0) *--at = (uint8_t)k;
    int first = *start;
    if (previous < 0) {
      previous = code;
      previousLength = 1;
      firstPixel = first;
    } else if (nextFree < kMaxCodes) {
      // The new string is the previous one and this one's first pixel.
      TableEntry entry;
      if (previous < firstFree) {
        entry = (TableEntry)(uint8_t)previous << 8;
      } else {
        TableEntry before = table[previous];
        entry = (before & 0xFF) << 8 | (TableEntry)EntryPrefix(before) << 16;
      }
      table[nextFree] = entry | (TableEntry)(uint8_t)first | (TableEntry)previous << 28 |
                        (TableEntry)(previousLength + 1) << 40;
      firstPixel = first;
      previous = code;
      previousLength = length;
      if (++nextFree >= codeLimit && reader.codeBits < kMaxCodeBits) {
        codeLimit <<= 1;
        reader.codeBits++;
      }
    }
    if (direct) {
      gif.out += length;
      gif.left -= length;
      gif.visibleLeft -= length;
    } else if (!EmitSpan(start, length)) {
      return;
    }
  }
}

// Exactly 0x40 means interlaced. A local colour table sets its own fields
// (flag, sort bit, size) as well; they do not count.
static bool IsInterlaced(int packed) {
  if (packed & kGifColorTableFlag) packed &= ~(kGifColorTableFlag | 0x20 | 0x07);
  return packed == 0x40;
}

static int NextHeaderByte(void* limit) { return ReadGifByte(*(uint32_t*)limit); }

// From the locked surface's packed byte on. Returns DecodeGif's result.
static int DecodeLocked(int32_t width, int32_t height, uint32_t limit) {
  FILE* stream = gif.stream;
  gifDecodeStop = kGifStopCodeSize;
  int packed = getc(stream);
  gif.count++;
  if (packed >= 0 && (packed & kGifColorTableFlag)) {
    int tableBytes = GifColorTableBytes(packed);
    if (fseek(stream, tableBytes, SEEK_CUR) != 0) return 0;
    gif.count += (uint32_t)tableBytes;
  }
  int minCodeSize = getc(stream);
  gif.count++;
  if (minCodeSize < kMinCodeSize || minCodeSize > kMaxCodeSize) return 0;

  // The string table and the decode stack.
  gifDecodeStop = kGifStopMemory;
  TableEntry* table = (TableEntry*)malloc(kTableEntries * sizeof(TableEntry) + kTableEntries);
  if (table == NULL) return 0;

  gif.reader.bits = 0;
  gif.reader.bitCount = 0;
  gif.reader.at = gif.reader.end = gif.block;
  gif.dataEnded = false;
  gif.pixels = (uint8_t*)surfaceDesc.lpSurface;
  gif.pitch = surfaceDesc.lPitch;
  gif.visibleWidth = gif.imageWidth < width ? gif.imageWidth : width;
  gif.visibleHeight = gif.imageHeight < height ? gif.imageHeight : height;
  gif.interlaced = IsInterlaced(packed);
  gif.pass = 0;
  StartRow(0);
  DecodeCodes(minCodeSize, table, (uint8_t*)(table + kTableEntries) + kTableEntries, limit);
  free(table);
  return 1;
}

// From the opened stream up to the unlock. Returns DecodeGif's result.
static int DecodeStream(LPDIRECTDRAWSURFACE surface, int32_t width, int32_t height, int32_t offset,
                        uint32_t limit) {
  FILE* stream = gif.stream;
  uint8_t header[kGifHeaderSize];
  gifDecodeStop = kGifStopSignature;
  if (offset < 0 || fseek(stream, offset, SEEK_SET) != 0) return 0;
  if (fread(header, 1, sizeof header, stream) != sizeof header || memcmp(header, "GIF", 3) != 0)
    return 0;
  gif.count = kGifHeaderSize;
  gifDecodeStop = kGifStopNoImage;

  // Everything up to the separator must lie within the slot's bytes.
  if (header[kGifScreenPacked] & kGifColorTableFlag) {
    for (int n = GifColorTableBytes(header[kGifScreenPacked]); n > 0; n--)
      if (NextHeaderByte(&limit) < 0) return 0;
  }
  if (!SkipToImage(NextHeaderByte, &limit)) return 0;
  ReadLe16(stream);
  ReadLe16(stream);
  gif.imageWidth = ReadLe16(stream);
  gif.imageHeight = ReadLe16(stream);
  gif.count += 8;
  gifDecodeStop = kGifStopEmptyImage;
  if (feof(stream) || gif.imageWidth <= 0 || gif.imageHeight <= 0) return 0;

  RECT rect = {0, 0, width, height};
  if (surface->Lock(&rect, &surfaceDesc, DDLOCK_WAIT, NULL) != DD_OK) {
    MessageBoxA(NULL, "lock error", "MESSAGE", MB_OK);
    return 1;
  }
  LPVOID locked = surfaceDesc.lpSurface;
  int result = DecodeLocked(width, height, limit);
  surface->Unlock(locked);
  return result;
}

int DecodeGif(const char* path, LPDIRECTDRAWSURFACE surface, int32_t width, int32_t height,
              int32_t offset, int32_t size) {
  surfaceDesc.dwSize = sizeof(DDSURFACEDESC);
  // A surface that could not be made was already reported; nothing to decode into.
  gifDecodeStop = kGifStopSize;
  if (surface == NULL || width <= 0 || height <= 0) return 0;
  gifDecodeStop = kGifStopFile;
  FILE* stream = fopen(path, "rb");
  if (stream == NULL) return 0;
  gif.stream = stream;
  gif.count = 0;
  int result = DecodeStream(surface, width, height, offset, (uint32_t)size);
  gif.stream = NULL;
  fclose(stream);
  return result;
}
