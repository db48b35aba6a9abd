// The one conversion of an 8-bit frame through its palette: presentation,
// the frame benchmark and anything that shows a frame in colour use it.
#include "frame_paint.h"

#include <stdlib.h>
#include <string.h>

#include "platform_internal.h"
#include "window_internal.h"

// The least rows and columns compared together (frame_paint.h).
#define kMinimumBandRows 16
#define kMinimumCellColumns 16
#define kUnitStep ((Uint64)1 << 32)

// count target pixels of one row from source, the first taking source pixel
// at >> 32 and each next one step further on (32.32 fixed point).
static void PaintRow(BYTE* out, int bytesPerPixel, const BYTE* source, const Uint32* colours,
                     int count, Uint64 at, Uint64 step) {
  if (bytesPerPixel == 4) {
    Uint32* pixel = (Uint32*)out;
    if (step == kUnitStep) {
      source += at >> 32;
      int x = 0;
      for (; x + 4 <= count; x += 4) {
        pixel[x] = colours[source[x]];
        pixel[x + 1] = colours[source[x + 1]];
        pixel[x + 2] = colours[source[x + 2]];
        pixel[x + 3] = colours[source[x + 3]];
      }
      for (; x < count; x++) pixel[x] = colours[source[x]];
      return;
    }
    for (int x = 0; x < count; x++, at += step) pixel[x] = colours[source[at >> 32]];
    return;
  }
  // Less common screens: 8, 16 or 24 bits a pixel.
  for (int x = 0; x < count; x++, at += step, out += bytesPerPixel) {
    Uint32 colour = colours[source[at >> 32]];
    if (bytesPerPixel == 2) {
      *(Uint16*)out = (Uint16)colour;
    } else if (bytesPerPixel == 3) {
#if SDL_BYTEORDER == SDL_BIG_ENDIAN
      colour <<= 8;
      out[0] = (BYTE)(colour >> 24);
      out[1] = (BYTE)(colour >> 16);
      out[2] = (BYTE)(colour >> 8);
#else
      out[0] = (BYTE)colour;
      out[1] = (BYTE)(colour >> 8);
      out[2] = (BYTE)(colour >> 16);
#endif
    } else {
      *out = (BYTE)colour;
    }
  }
}

void PlatformConvertFrame(const BYTE* pixels, LONG pitch, int width, int height,
                          const PALETTEENTRY* palette, uint32_t* out, LONG outPitch) {
  Uint32 colours[256];
  for (int i = 0; i < 256; i++)
    colours[i] = 0xFF000000u | (Uint32)palette[i].peRed << 16 | (Uint32)palette[i].peGreen << 8 |
                 palette[i].peBlue;
  for (int y = 0; y < height; y++, pixels += pitch, out = (uint32_t*)((BYTE*)out + outPitch))
    PaintRow((BYTE*)out, 4, pixels, colours, width, 0, kUnitStep);
}

// Target pixel i of n shows source pixel floor(i * size / n): step is
// size / n rounded up, which is exact for any n below 2^18.
static Uint64 Step(int size, int n) { return (((Uint64)size << 32) + (Uint64)n - 1) / (Uint64)n; }

// The first target pixel (counted from the fitted area's edge) that shows
// source pixel index or one after it.
static int FirstTarget(int index, Uint64 step, int limit) {
  Uint64 first = (((Uint64)index << 32) + step - 1) / step;
  return first > (Uint64)limit ? limit : (int)first;
}

// Where the frame's columns [x0, x1) and rows [y0, y1) land on the target
// (empty when they cover nothing).
static SDL_Rect TargetArea(const FramePainter* painter, int x0, int y0, int x1, int y1) {
  const SDL_Rect& fit = painter->fit;
  if (fit.w <= 0 || fit.h <= 0) return SDL_Rect{0, 0, 0, 0};
  const int* column = painter->firstColumn;
  const int* row = painter->firstRow;
  SDL_Rect area = {fit.x + column[x0], fit.y + row[y0], column[x1] - column[x0], row[y1] - row[y0]};
  if (area.w <= 0 || area.h <= 0) return SDL_Rect{0, 0, 0, 0};
  return area;
}

// Converts the frame's columns [x0, x1) of rows [y0, y1), as shown, onto
// what they cover of the target.
static void PaintRegion(FramePainter* painter, int x0, int y0, int x1, int y1) {
  SDL_Rect area = TargetArea(painter, x0, y0, x1, y1);
  if (area.w <= 0) return;
  SDL_Surface* target = painter->target;
  int bytesPerPixel = target->format->BytesPerPixel;
  int left = area.x - painter->fit.x, top = area.y - painter->fit.y;
  BYTE* row = (BYTE*)target->pixels + (ptrdiff_t)area.y * target->pitch + area.x * bytesPerPixel;
  const BYTE* previous = NULL;
  int previousSource = -1;
  for (int y = top; y < top + area.h; y++, row += target->pitch) {
    int source = (int)(((Uint64)y * painter->stepY) >> 32);
    // Scaled up, a row repeats the one above it.
    if (source == previousSource) {
      memcpy(row, previous, (size_t)area.w * bytesPerPixel);
    } else {
      PaintRow(row, bytesPerPixel, painter->shown + (ptrdiff_t)source * painter->frameWidth,
               painter->colours, area.w, (Uint64)left * painter->stepX, painter->stepX);
    }
    previous = row;
    previousSource = source;
  }
}

// Black bars and the whole frame, laid out for the target's present size.
static int PaintWhole(FramePainter* painter) {
  SDL_Surface* target = painter->target;
  for (int i = 0; i < 256; i++)
    painter->colours[i] = SDL_MapRGB(target->format, painter->palette[i].peRed,
                                     painter->palette[i].peGreen, painter->palette[i].peBlue);
  SDL_FillRect(target, NULL, SDL_MapRGB(target->format, 0, 0, 0));
  painter->fit = FitImage(painter->targetWidth, painter->targetHeight);
  // Frame size is set once both of its buffers are made.
  if (painter->frameWidth > 0 && painter->fit.w > 0 && painter->fit.h > 0) {
    painter->stepX = Step(painter->frameWidth, painter->fit.w);
    painter->stepY = Step(painter->frameHeight, painter->fit.h);
    for (int x = 0; x <= painter->frameWidth; x++)
      painter->firstColumn[x] = FirstTarget(x, painter->stepX, painter->fit.w);
    for (int y = 0; y <= painter->frameHeight; y++)
      painter->firstRow[y] = FirstTarget(y, painter->stepY, painter->fit.h);
    PaintRegion(painter, 0, 0, painter->frameWidth, painter->frameHeight);
  }
  painter->whole = false;
  painter->rects[0] = SDL_Rect{0, 0, painter->targetWidth, painter->targetHeight};
  painter->rectCount = 1;
  return 1;
}

void SetPaintTarget(FramePainter* painter, SDL_Surface* target) {
  painter->target = target;
  painter->targetWidth = target != NULL ? target->w : 0;
  painter->targetHeight = target != NULL ? target->h : 0;
  painter->whole = true;
}

// Where two rows of n bytes that differ first differ from the left, and
// where they stop differing from the right; eight bytes a step.
static int FirstDifference(const BYTE* a, const BYTE* b, int n) {
  int i = 0;
  for (Uint64 x, y; i + 8 <= n; i += 8) {
    memcpy(&x, a + i, 8);
    memcpy(&y, b + i, 8);
    if (x != y) break;
  }
  while (i < n && a[i] == b[i]) i++;
  return i;
}

static int EndOfDifference(const BYTE* a, const BYTE* b, int n) {
  int i = n;
  for (Uint64 x, y; i >= 8; i -= 8) {
    memcpy(&x, a + i - 8, 8);
    memcpy(&y, b + i - 8, 8);
    if (x != y) break;
  }
  while (i > 0 && a[i - 1] == b[i - 1]) i--;
  return i;
}

// The cells of each band that compare may look at: where damage of the
// frame shown or of the new one lies, or everywhere when either is unknown.
static void CellsToCompare(const FramePainter* painter, const Damage* damage, int band, int cell,
                           Uint64* mask) {
  if (damage == NULL || !SameFill(damage, &painter->shownDamage)) {
    for (int b = 0; b < kPaintBands; b++) mask[b] = ~(Uint64)0;
    return;
  }
  memset(mask, 0, kPaintBands * sizeof *mask);
  const Damage* both[2] = {&painter->shownDamage, damage};
  for (const Damage* d : both) {
    for (int i = 0; i < d->count; i++) {
      RECT r = d->rects[i];
      if (r.right > painter->frameWidth) r.right = painter->frameWidth;
      if (r.bottom > painter->frameHeight) r.bottom = painter->frameHeight;
      if (r.left < 0) r.left = 0;
      if (r.top < 0) r.top = 0;
      if (r.left >= r.right || r.top >= r.bottom) continue;
      int c0 = r.left / cell, c1 = (r.right - 1) / cell;
      Uint64 cells = (c1 >= 63 ? ~(Uint64)0 : ((Uint64)1 << (c1 + 1)) - 1) & ~(((Uint64)1 << c0) - 1);
      for (int b = r.top / band; b <= (r.bottom - 1) / band; b++) mask[b] |= cells;
    }
  }
}

// Takes the lowest run of set bits, cells [*start, *stop), out of cells.
static void TakeRun(Uint64* cells, int* start, int* stop) {
  *start = *stop = __builtin_ctzll(*cells);
  while (*stop < kPaintCells && (*cells >> *stop & 1)) *cells &= ~((Uint64)1 << (*stop)++);
}

// Compares the frame with the one shown in the cells of mask, band by band,
// taking over what changed and painting it; returns the number of
// rectangles painted.
static int PaintChanges(FramePainter* painter, const BYTE* pixels, LONG pitch, const Damage* damage) {
  int width = painter->frameWidth, height = painter->frameHeight;
  int band = (height + kPaintBands - 1) / kPaintBands;
  if (band < kMinimumBandRows) band = kMinimumBandRows;
  int cell = (width + kPaintCells - 1) / kPaintCells;
  if (cell < kMinimumCellColumns) cell = kMinimumCellColumns;
  Uint64 mask[kPaintBands];
  CellsToCompare(painter, damage, band, cell, mask);
  for (int top = 0, index = 0; top < height; top += band, index++) {
    if (mask[index] == 0) continue;
    int bottom = top + band < height ? top + band : height;
    int left = width, right = 0;
    Uint64 changed = 0;  // a bit for each cell of the band
    for (int y = top; y < bottom; y++) {
      const BYTE* row = pixels + (ptrdiff_t)y * pitch;
      BYTE* shown = painter->shown + (ptrdiff_t)y * width;
      for (Uint64 runs = mask[index]; runs != 0;) {
        int start, stop;
        TakeRun(&runs, &start, &stop);
        int from = start * cell, to = stop * cell < width ? stop * cell : width;
        if (from >= to) break;
        // Most of it is as it was; libc's compare tells that fastest.
        if (memcmp(row + from, shown + from, (size_t)(to - from)) == 0) continue;
        int first = from + FirstDifference(row + from, shown + from, to - from);
        int end = from + EndOfDifference(row + from, shown + from, to - from);
        // Pictures apart on the same row leave the cells between them alone.
        // Word by word: a call a cell would cost more than the comparing.
        for (int x = first; x < end;) {
          int c = x / cell, next = (c + 1) * cell < end ? (c + 1) * cell : end;
          if (!(changed >> c & 1)) {
            Uint64 a, b;
            for (; x + 8 <= next; x += 8) {
              memcpy(&a, row + x, 8);
              memcpy(&b, shown + x, 8);
              if (a != b) break;
            }
            while (x < next && row[x] == shown[x]) x++;
            if (x < next) changed |= (Uint64)1 << c;
          }
          x = next;
        }
        // What did not change is on the target already.
        memcpy(shown + first, row + first, (size_t)(end - first));
        PaintRegion(painter, first, y, end, y + 1);
        if (first < left) left = first;
        if (end > right) right = end;
      }
    }
    while (changed != 0) {
      int start, stop;
      TakeRun(&changed, &start, &stop);
      int from = start * cell > left ? start * cell : left;
      int to = stop * cell < right ? stop * cell : right;
      SDL_Rect area = TargetArea(painter, from, top, to, bottom);
      if (area.w > 0) painter->rects[painter->rectCount++] = area;
    }
  }
  return painter->rectCount;
}

int PaintFrame(FramePainter* painter, const BYTE* pixels, LONG pitch, int width, int height,
               const PALETTEENTRY* palette, const Damage* damage) {
  painter->rectCount = 0;
  if (painter->target == NULL || pixels == NULL || width <= 0 || height <= 0 ||
      width > 0x7FFF || height > 0x7FFF)
    return 0;
  if (painter->shown == NULL || width != painter->frameWidth || height != painter->frameHeight) {
    BYTE* shown = (BYTE*)realloc(painter->shown, (size_t)width * (size_t)height);
    if (shown == NULL) return 0;
    painter->shown = shown;
    int* starts = (int*)realloc(painter->firstColumn, ((size_t)width + (size_t)height + 2) * sizeof(int));
    if (starts == NULL) return 0;
    painter->firstColumn = starts;
    painter->firstRow = starts + width + 1;
    painter->frameWidth = width;
    painter->frameHeight = height;
    painter->whole = true;
  }
  if (memcmp(palette, painter->palette, sizeof painter->palette) != 0) {
    memcpy(painter->palette, palette, sizeof painter->palette);
    painter->whole = true;
  }
  SDL_Surface* target = painter->target;
  if (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0) return 0;
  if (painter->whole) {
    for (int y = 0; y < height; y++)
      memcpy(painter->shown + (ptrdiff_t)y * width, pixels + (ptrdiff_t)y * pitch, (size_t)width);
    PaintWhole(painter);
  } else {
    PaintChanges(painter, pixels, pitch, damage);
  }
  // What is shown now is that frame, whatever was known of it.
  if (damage != NULL)
    painter->shownDamage = *damage;
  else
    ForgetDamage(&painter->shownDamage);
  if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
  return painter->rectCount;
}

int RepaintFrame(FramePainter* painter) {
  painter->rectCount = 0;
  SDL_Surface* target = painter->target;
  if (target == NULL || (SDL_MUSTLOCK(target) && SDL_LockSurface(target) != 0)) return 0;
  PaintWhole(painter);
  if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
  return painter->rectCount;
}

void FreePainter(FramePainter* painter) {
  free(painter->shown);
  free(painter->firstColumn);
  memset(painter, 0, sizeof *painter);
}
