// Pixel loops of the software DirectDraw: fills, copies, keyed and scaled copies.
#include <stdint.h>
#include <string.h>

#include "ddraw_internal.h"

void FillPixels(BYTE* pixels, LONG pitch, LONG width, const RECT& rect, BYTE value) {
  BYTE* row = pixels + rect.top * pitch + rect.left;
  LONG count = rect.right - rect.left;
  // Whole rows are one stretch of memory: the padding between them is ours.
  if (count == width) {
    memset(row, value, (rect.bottom - rect.top - 1) * pitch + count);
    return;
  }
  for (LONG y = rect.top; y < rect.bottom; y++, row += pitch) memset(row, value, count);
}

// Eight pixels at a time: a byte of the key's value is left out, all others copied.
static void CopyKeyedRow(BYTE* target, const BYTE* source, LONG count, BYTE key) {
  const uint64_t ones = 0x0101010101010101ull;
  const uint64_t lows = ones * 0x7F, highs = ones * 0x80, keys = ones * key;
  LONG i = 0;
  for (; i + 8 <= count; i += 8) {
    uint64_t from, to;
    memcpy(&from, source + i, 8);
    uint64_t x = from ^ keys;
    // High bit of each byte set where the pixel differs from the key.
    uint64_t copied = (((x & lows) + lows) | x) & highs;
    if (copied == 0) continue;
    if (copied != highs) {
      uint64_t mask = (copied >> 7) * 0xFF;
      memcpy(&to, target + i, 8);
      from = (from & mask) | (to & ~mask);
    }
    memcpy(target + i, &from, 8);
  }
  for (; i < count; i++)
    if (source[i] != key) target[i] = source[i];
}

void CopyPixels(BYTE* target, LONG targetPitch, LONG x, LONG y, const BYTE* source, LONG sourcePitch,
                const RECT& from, bool keyed, BYTE key) {
  LONG width = from.right - from.left, height = from.bottom - from.top;
  BYTE* to = target + y * targetPitch + x;
  const BYTE* in = source + from.top * sourcePitch + from.left;
  // A target that starts inside the source's memory is copied from the end
  // backwards, so that no source pixel is overwritten before it is read.
  // Rows of one surface never overlap each other, only pixels of one row.
  uintptr_t start = (uintptr_t)in, end = start + (height - 1) * sourcePitch + width;
  bool backwards = (uintptr_t)to > start && (uintptr_t)to < end;
  LONG step = 1;
  if (backwards) {
    to += (height - 1) * targetPitch;
    in += (height - 1) * sourcePitch;
    step = -1;
  }
  for (LONG row = 0; row < height; row++, to += step * targetPitch, in += step * sourcePitch) {
    if (!keyed) {
      memmove(to, in, width);
    } else if (!backwards) {
      CopyKeyedRow(to, in, width, key);
    } else {
      for (LONG i = width - 1; i >= 0; i--)
        if (in[i] != key) to[i] = in[i];
    }
  }
}

void ScalePixels(BYTE* target, LONG targetPitch, const RECT& to, const BYTE* source, LONG sourcePitch,
                 const RECT& from, bool keyed, BYTE key) {
  LONG width = to.right - to.left, height = to.bottom - to.top;
  uint32_t stepX = ((uint32_t)(from.right - from.left) << 16) / (uint32_t)width;
  uint32_t stepY = ((uint32_t)(from.bottom - from.top) << 16) / (uint32_t)height;
  BYTE* out = target + to.top * targetPitch + to.left;
  const BYTE* base = source + from.top * sourcePitch + from.left;
  uint32_t fy = 0;
  for (LONG dy = 0; dy < height; dy++, fy += stepY, out += targetPitch) {
    const BYTE* in = base + (LONG)(fy >> 16) * sourcePitch;
    uint32_t fx = 0;
    if (keyed) {
      for (LONG dx = 0; dx < width; dx++, fx += stepX) {
        BYTE value = in[fx >> 16];
        if (value != key) out[dx] = value;
      }
    } else {
      // Four at a time, so that the four reads do not wait on each other.
      LONG dx = 0;
      for (; dx + 4 <= width; dx += 4, fx += 4 * stepX) {
        out[dx] = in[fx >> 16];
        out[dx + 1] = in[(fx + stepX) >> 16];
        out[dx + 2] = in[(fx + 2 * stepX) >> 16];
        out[dx + 3] = in[(fx + 3 * stepX) >> 16];
      }
      for (; dx < width; dx++, fx += stepX) out[dx] = in[fx >> 16];
    }
  }
}
