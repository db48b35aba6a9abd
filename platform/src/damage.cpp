#include "damage.h"

void ResetDamage(Damage* damage, BYTE fill) {
  damage->known = true;
  damage->fill = fill;
  damage->count = 0;
}

void ForgetDamage(Damage* damage) {
  damage->known = false;
  damage->count = 0;
}

void AddDamage(Damage* damage, const RECT& rect) {
  if (!damage->known) return;
  if (damage->count == kDamageRects) {
    RECT& all = damage->rects[0];
    for (int i = 1; i < damage->count; i++) {
      const RECT& r = damage->rects[i];
      if (r.left < all.left) all.left = r.left;
      if (r.top < all.top) all.top = r.top;
      if (r.right > all.right) all.right = r.right;
      if (r.bottom > all.bottom) all.bottom = r.bottom;
    }
    damage->count = 1;
  }
  damage->rects[damage->count++] = rect;
}

bool SameFill(const Damage* a, const Damage* b) {
  return a->known && b->known && a->fill == b->fill;
}
