// Paints 8-bit frames through their palette onto an SDL surface, scaled to
// fit with their aspect kept (nearest neighbour, black bars), and repaints
// only what changed since the frame painted before.
#ifndef VOQ_PLATFORM_FRAME_PAINT_H
#define VOQ_PLATFORM_FRAME_PAINT_H

#include <windows.h>

#include <SDL.h>

#include "damage.h"

// The frame is compared in at most kPaintBands bands of rows, each cut into
// at most kPaintCells columns; each run of changed cells in a band is one
// rectangle, so there are at most half as many rectangles as cells.
#define kPaintBands 32
#define kPaintCells 64
#define kPaintRects (kPaintBands * kPaintCells / 2)

struct FramePainter {
  SDL_Surface* target;  // not owned
  int targetWidth;
  int targetHeight;
  SDL_Rect fit;        // where the frame goes on the target
  Uint64 stepX;        // frame pixels per target pixel, 32.32 fixed point
  Uint64 stepY;
  // For frame column x (row y), the first target column (row) within fit
  // that shows it or one after it; frameWidth + 1 (frameHeight + 1) entries.
  int* firstColumn;
  int* firstRow;
  int frameWidth;
  int frameHeight;
  BYTE* shown;  // the frame as last painted, frameWidth x frameHeight
  Damage shownDamage;  // what was known of that frame
  PALETTEENTRY palette[256];
  Uint32 colours[256];  // palette in the target's pixel format
  bool whole;           // the next paint repaints the whole target
  int rectCount;
  SDL_Rect rects[kPaintRects];  // what the latest paint changed, on the target
};

// Aims the painter at a surface (again after the surface changed or was
// remade at another size); the next paint is whole.
void SetPaintTarget(FramePainter* painter, SDL_Surface* target);
// Paints a frame of width x height palette indices (pitch bytes a row)
// through palette (256 entries). Compares it with the frame painted before
// and converts only the rows and columns that differ; a new palette, frame
// size or target repaints everything, bars included. With damage (NULL when
// nothing is known of the frame) that agrees with the painted frame's on the
// value outside it, only the damage of the two is compared. Returns the
// number of rectangles in painter->rects, 0 when nothing changed or nothing
// could be painted. Allocates only when the frame's size changes.
int PaintFrame(FramePainter* painter, const BYTE* pixels, LONG pitch, int width, int height,
               const PALETTEENTRY* palette, const Damage* damage);
// Paints the latest frame (or black before the first) over the whole target.
int RepaintFrame(FramePainter* painter);
void FreePainter(FramePainter* painter);

#endif
