// What is known of an 8-bit surface's pixels: every pixel outside a few
// rectangles has one value, the one the surface was last filled with whole.
// The software DirectDraw keeps it up to date through fills, blits and flips,
// so that a whole fill, a whole copy and the comparison of a frame with the
// one shown before need only look inside the rectangles.
#ifndef VOQ_PLATFORM_DAMAGE_H
#define VOQ_PLATFORM_DAMAGE_H

#include <windows.h>

// More rectangles than this merge into the one that bounds them all.
#define kDamageRects 64

struct Damage {
  bool known;  // false: any pixel may hold anything
  BYTE fill;   // the value of every pixel outside the rectangles
  int count;
  RECT rects[kDamageRects];  // where pixels may differ from fill
};

// Every pixel is fill.
void ResetDamage(Damage* damage, BYTE fill);
// Nothing is known any more (the pixels were handed out to be written).
void ForgetDamage(Damage* damage);
// Pixels inside rect may have changed.
void AddDamage(Damage* damage, const RECT& rect);
// True when a and b are both known and agree outside their rectangles.
bool SameFill(const Damage* a, const Damage* b);

#endif
