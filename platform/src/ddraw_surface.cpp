// IDirectDrawSurface of the software DirectDraw: blits, flips, locks, keys.
//
// Rectangles are never clipped: one that is inverted, empty, negative or not
// wholly inside its surface draws nothing and is refused with
// DDERR_INVALIDRECT; NULL means the whole surface. Surfaces are never lost
// and never busy drawing, so DDBLT_WAIT and friends change nothing.
#include <string.h>

#include "ddraw_internal.h"

static const DWORD kBltFlagsKnown = DDBLT_COLORFILL | DDBLT_WAIT | DDBLT_ALPHAEDGEBLEND | DDBLT_KEYSRC;

// The rectangle, or the whole surface for NULL; false when not a non-empty
// rectangle wholly inside the surface.
static bool TakeRect(const LPRECT rect, const DDrawSurface* surface, RECT* out) {
  if (rect == NULL) {
    *out = {0, 0, surface->width, surface->height};
    return true;
  }
  *out = *rect;
  return rect->left >= 0 && rect->top >= 0 && rect->left < rect->right && rect->top < rect->bottom &&
         rect->right <= surface->width && rect->bottom <= surface->height;
}

static bool Overlap(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

static bool Whole(const RECT& rect, const DDrawSurface* surface) {
  return rect.left == 0 && rect.top == 0 && rect.right == surface->width && rect.bottom == surface->height;
}

// A whole fill of a surface known to hold that value outside its damage
// fills only the damage.
static void Fill(DDrawSurface* surface, const RECT& to, BYTE value) {
  Damage* damage = &surface->damage;
  if (!Whole(to, surface)) {
    FillPixels(surface->pixels, surface->pitch, surface->width, to, value);
    AddDamage(damage, to);
    return;
  }
  if (damage->known && damage->fill == value) {
    for (int i = 0; i < damage->count; i++)
      FillPixels(surface->pixels, surface->pitch, surface->width, damage->rects[i], value);
  } else {
    FillPixels(surface->pixels, surface->pitch, surface->width, to, value);
  }
  ResetDamage(damage, value);
}

// A whole unkeyed copy makes the target what the source is; where both hold
// the same value outside their damage, only the damage of each is copied.
static void CopyWhole(DDrawSurface* target, const DDrawSurface* source) {
  if (SameFill(&target->damage, &source->damage)) {
    const Damage* both[2] = {&target->damage, &source->damage};
    for (const Damage* damage : both)
      for (int i = 0; i < damage->count; i++) {
        const RECT& r = damage->rects[i];
        CopyPixels(target->pixels, target->pitch, r.left, r.top, source->pixels, source->pitch, r, false, 0);
      }
  } else {
    RECT all = {0, 0, source->width, source->height};
    CopyPixels(target->pixels, target->pitch, 0, 0, source->pixels, source->pitch, all, false, 0);
  }
  target->damage = source->damage;
}

// The key as it takes part in a blit; a key beyond 8 bits matches no pixel.
static bool UsableKey(const DDrawSurface* source) { return source->keyed && source->colorKey <= 0xFF; }

ULONG DDrawSurface::AddRef() { return ++refs; }

ULONG DDrawSurface::Release() {
  if (refs == 0) return 0;
  ULONG left = --refs;
  // A back buffer is the chain's: it goes when its front surface goes.
  if (left == 0 && !(caps & DDSCAPS_BACKBUFFER)) DestroySurface(this);
  return left;
}

HRESULT DDrawSurface::Blt(LPRECT lpDestRect, LPDIRECTDRAWSURFACE lpDDSrcSurface, LPRECT lpSrcRect,
                          DWORD dwFlags, LPDDBLTFX lpDDBltFx) {
  if (dwFlags & ~kBltFlagsKnown) return DDERR_UNSUPPORTED;
  RECT to;
  if (!TakeRect(lpDestRect, this, &to)) return DDERR_INVALIDRECT;
  if (dwFlags & DDBLT_COLORFILL) {
    if (lpDDBltFx == NULL) return DDERR_INVALIDPARAMS;
    Fill(this, to, (BYTE)lpDDBltFx->dwFillColor);
    PresentIfPrimary(this, false);
    return DD_OK;
  }
  DDrawSurface* source = static_cast<DDrawSurface*>(lpDDSrcSurface);
  if (source == NULL) return DDERR_INVALIDPARAMS;
  RECT from;
  if (!TakeRect(lpSrcRect, source, &from)) return DDERR_INVALIDRECT;
  bool keyed = false;
  if (dwFlags & DDBLT_KEYSRC) {
    if (!source->keyed) return DDERR_INVALIDPARAMS;
    keyed = UsableKey(source);
  }
  BYTE key = (BYTE)source->colorKey;
  bool sameSize = to.right - to.left == from.right - from.left && to.bottom - to.top == from.bottom - from.top;
  if (sameSize && !keyed && source != this && Whole(to, this) && Whole(from, source)) {
    CopyWhole(this, source);
  } else if (sameSize) {
    CopyPixels(pixels, pitch, to.left, to.top, source->pixels, source->pitch, from, keyed, key);
    AddDamage(&damage, to);
  } else {
    // A scaled copy within one surface would read what it has just written.
    if (source->pixels == pixels && Overlap(to, from)) return DDERR_UNSUPPORTED;
    ScalePixels(pixels, pitch, to, source->pixels, source->pitch, from, keyed, key);
    AddDamage(&damage, to);
  }
  PresentIfPrimary(this, true);
  return DD_OK;
}

HRESULT DDrawSurface::BltFast(DWORD dwX, DWORD dwY, LPDIRECTDRAWSURFACE lpDDSrcSurface, LPRECT lpSrcRect,
                              DWORD dwTrans) {
  DDrawSurface* source = static_cast<DDrawSurface*>(lpDDSrcSurface);
  if (source == NULL || (dwTrans & ~(DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY | DDBLTFAST_WAIT)))
    return DDERR_INVALIDPARAMS;
  if (dwTrans & DDBLTFAST_DESTCOLORKEY) return DDERR_UNSUPPORTED;
  RECT from;
  if (!TakeRect(lpSrcRect, source, &from)) return DDERR_INVALIDRECT;
  if ((uint64_t)dwX + (DWORD)(from.right - from.left) > (uint64_t)width ||
      (uint64_t)dwY + (DWORD)(from.bottom - from.top) > (uint64_t)height)
    return DDERR_INVALIDRECT;
  // Asking for the source key of a surface that has none copies every pixel.
  bool keyed = (dwTrans & DDBLTFAST_SRCCOLORKEY) && UsableKey(source);
  CopyPixels(pixels, pitch, (LONG)dwX, (LONG)dwY, source->pixels, source->pitch, from, keyed,
             (BYTE)source->colorKey);
  AddDamage(&damage, RECT{(LONG)dwX, (LONG)dwY, (LONG)dwX + from.right - from.left,
                          (LONG)dwY + from.bottom - from.top});
  PresentIfPrimary(this, true);
  return DD_OK;
}

HRESULT DDrawSurface::Flip(LPDIRECTDRAWSURFACE lpDDSurfaceTargetOverride, DWORD) {
  if (chain == NULL || (caps & DDSCAPS_BACKBUFFER)) return DDERR_NOTFLIPPABLE;
  if (lpDDSurfaceTargetOverride != NULL && lpDDSurfaceTargetOverride != chain) return DDERR_NOTFLIPPABLE;
  if (locked || chain->locked) return DDERR_SURFACEBUSY;
  BYTE* shown = chain->pixels;
  chain->pixels = pixels;
  pixels = shown;
  Damage held = chain->damage;
  chain->damage = damage;
  damage = held;
  PresentIfPrimary(this, true);
  return DD_OK;
}

HRESULT DDrawSurface::GetAttachedSurface(LPDDSCAPS lpDDSCaps, LPDIRECTDRAWSURFACE* lplpDDAttachedSurface) {
  if (lpDDSCaps == NULL || lplpDDAttachedSurface == NULL) return DDERR_INVALIDPARAMS;
  *lplpDDAttachedSurface = NULL;
  if (chain == NULL || (chain->caps & lpDDSCaps->dwCaps) != lpDDSCaps->dwCaps) return DDERR_NOTFOUND;
  chain->AddRef();
  *lplpDDAttachedSurface = chain;
  return DD_OK;
}

static void DescribeSurface(const DDrawSurface* surface, LPDDSURFACEDESC desc) {
  memset(desc, 0, sizeof *desc);
  desc->dwSize = sizeof *desc;
  desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc->dwWidth = surface->width;
  desc->dwHeight = surface->height;
  desc->lPitch = surface->pitch;
  if (surface->caps & DDSCAPS_FRONTBUFFER) {
    desc->dwFlags |= DDSD_BACKBUFFERCOUNT;
    desc->dwBackBufferCount = 1;
  }
  if (surface->keyed) {
    desc->dwFlags |= DDSD_CKSRCBLT;
    desc->ddckCKSrcBlt.dwColorSpaceLowValue = surface->colorKey;
    desc->ddckCKSrcBlt.dwColorSpaceHighValue = surface->colorKey;
  }
  desc->ddpfPixelFormat.dwSize = sizeof desc->ddpfPixelFormat;
  desc->ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
  desc->ddpfPixelFormat.dwRGBBitCount = 8;
  desc->ddsCaps.dwCaps = surface->caps;
}

HRESULT DDrawSurface::GetSurfaceDesc(LPDDSURFACEDESC lpDDSurfaceDesc) {
  if (lpDDSurfaceDesc == NULL || lpDDSurfaceDesc->dwSize != sizeof *lpDDSurfaceDesc)
    return DDERR_INVALIDPARAMS;
  DescribeSurface(this, lpDDSurfaceDesc);
  return DD_OK;
}

HRESULT DDrawSurface::Lock(LPRECT lpDestRect, LPDDSURFACEDESC lpDDSurfaceDesc, DWORD, HANDLE) {
  if (lpDDSurfaceDesc == NULL || lpDDSurfaceDesc->dwSize != sizeof *lpDDSurfaceDesc)
    return DDERR_INVALIDPARAMS;
  lpDDSurfaceDesc->lpSurface = NULL;
  RECT area = {0, 0, width, height};
  if (lpDestRect != NULL) {
    area = *lpDestRect;
    // Unlike a blit, a lock takes an empty rectangle.
    if (area.left < 0 || area.top < 0 || area.left > area.right || area.top > area.bottom ||
        area.right > width || area.bottom > height)
      return DDERR_INVALIDPARAMS;
  }
  if (locked) return DDERR_SURFACEBUSY;
  DescribeSurface(this, lpDDSurfaceDesc);
  lpDDSurfaceDesc->dwFlags |= DDSD_LPSURFACE;
  lpDDSurfaceDesc->lpSurface = pixels + area.top * pitch + area.left;
  locked = true;
  // Whoever holds the lock may write any pixel.
  ForgetDamage(&damage);
  return DD_OK;
}

HRESULT DDrawSurface::Unlock(LPVOID) {
  if (!locked) return DDERR_NOTLOCKED;
  locked = false;
  PresentIfPrimary(this, false);
  return DD_OK;
}

HRESULT DDrawSurface::SetColorKey(DWORD dwFlags, LPDDCOLORKEY lpDDColorKey) {
  // Only the single source key is kept; ranges and destination keys have no use here.
  if (dwFlags != DDCKEY_SRCBLT) return dwFlags == 0 ? DDERR_INVALIDPARAMS : DDERR_UNSUPPORTED;
  keyed = lpDDColorKey != NULL;
  colorKey = keyed ? lpDDColorKey->dwColorSpaceLowValue : 0;
  return DD_OK;
}

HRESULT DDrawSurface::SetPalette(LPDIRECTDRAWPALETTE lpDDPalette) {
  DDrawPalette* given = static_cast<DDrawPalette*>(lpDDPalette);
  if (given != NULL) given->AddRef();
  if (palette != NULL) palette->Release();
  palette = given;
  PresentIfPrimary(this, false);
  return DD_OK;
}
