// The display layer over first-version DirectDraw. Every operation records the
// platform's answer in lastDDResult and reports 0 or 3; callers decide what a
// refusal means.
#include "display/display.h"

#include <string.h>

LPDIRECTDRAW lpDD;
LPDIRECTDRAWSURFACE lpDDSPrimary;
LPDIRECTDRAWSURFACE lpDDSBack;
LPDIRECTDRAWPALETTE lpDDPal;
LPDIRECTDRAWSURFACE lpImage1;
LPDIRECTDRAWSURFACE lpScratch;
DWORD displayFlags;
HRESULT lastDDResult;

// The windowed presentation needs the window's client area on the desktop.
static HWND displayWindow;

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(DDSURFACEDESC) == 108, "DDSURFACEDESC must keep its 32-bit layout");
static_assert(sizeof(DDBLTFX) == 100, "DDBLTFX must keep its 32-bit layout");
#endif

static const int kRetry = -1;

static int StatusOf(HRESULT result) { return result == DD_OK ? kDisplayOk : kDisplayRefused; }

// What to do after a drawing call: repeat while the display is busy; a lost
// surface gets one restore attempt and, unless the hook reports its own
// failure, is then judged by whatever code lastDDResult holds.
static int RetryOutcome(void) {
  if (lastDDResult == DD_OK) return kDisplayOk;
  if (lastDDResult == DDERR_SURFACELOST) {
    int status = RestoreSurfaces();
    if (status != kDisplayOk) return status;
  }
  if (lastDDResult == DDERR_WASSTILLDRAWING) return kRetry;
  return kDisplayRefused;
}

static void ClearDesc(DDSURFACEDESC* desc) {
  memset(desc, 0, sizeof *desc);
  desc->dwSize = sizeof *desc;
}

int InitDisplay(HWND window, uint16_t width, uint16_t height, uint16_t bitsPerPixel, DWORD flags) {
  int fullScreen = (flags & kDisplayFullScreen) != 0;
  displayWindow = window;

  // The emulation request travels in place of the driver's GUID.
  GUID* driver = (flags & kDisplayEmulationOnly) ? (GUID*)(uintptr_t)DDCREATE_EMULATIONONLY : NULL;
  lastDDResult = DirectDrawCreate(driver, &lpDD, NULL);
  if (lastDDResult != DD_OK) return kDisplayRefused;
  lastDDResult = lpDD->SetCooperativeLevel(
      window, fullScreen ? DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN : DDSCL_NORMAL);
  if (lastDDResult != DD_OK) return kDisplayRefused;
  if (fullScreen) {
    lastDDResult = lpDD->SetDisplayMode(width, height, bitsPerPixel);
    if (lastDDResult != DD_OK) return kDisplayRefused;
  }

  DDSURFACEDESC desc;
  ClearDesc(&desc);
  if (fullScreen) {
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    lastDDResult = lpDD->CreateSurface(&desc, &lpDDSPrimary, NULL);
    if (lastDDResult != DD_OK) return kDisplayRefused;
    DDSCAPS caps;
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    lastDDResult = lpDDSPrimary->GetAttachedSurface(&caps, &lpDDSBack);
    if (lastDDResult != DD_OK) return kDisplayRefused;
  } else {
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    lastDDResult = lpDD->CreateSurface(&desc, &lpDDSPrimary, NULL);
    if (lastDDResult != DD_OK) return kDisplayRefused;
    ClearDesc(&desc);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwWidth = width;
    desc.dwHeight = height;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    lastDDResult = lpDD->CreateSurface(&desc, &lpDDSBack, NULL);
    if (lastDDResult != DD_OK) return kDisplayRefused;
  }
  displayFlags = flags;

  // Until the picture's colours arrive the screen keeps the system's static
  // colours at both ends; everything between is black.
  PALETTEENTRY entries[256];
  memset(entries, 0, sizeof entries);
  HDC screen = GetDC(NULL);
  GetSystemPaletteEntries(screen, 0, 10, entries);
  GetSystemPaletteEntries(screen, 246, 10, entries + 246);
  ReleaseDC(NULL, screen);
  lastDDResult = lpDD->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &lpDDPal, NULL);
  if (lastDDResult != DD_OK) return kDisplayRefused;
  // A desktop without a palette refuses this in the windowed variant; harmless.
  lpDDSPrimary->SetPalette(lpDDPal);
  return kDisplayOk;
}

int CreateImageSurface(uint16_t width, uint16_t height, DWORD flags, LPDIRECTDRAWSURFACE* holder) {
  if (lpDD == NULL || holder == NULL) return kDisplayRefused;
  DDSURFACEDESC desc;
  ClearDesc(&desc);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.dwWidth = width;
  desc.dwHeight = height;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  if (flags & kSurfaceSystemMemory) desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
  lastDDResult = lpDD->CreateSurface(&desc, holder, NULL);
  // Video memory is only faster; running out of it is no reason to go without.
  if ((lastDDResult == DDERR_OUTOFMEMORY || lastDDResult == DDERR_OUTOFVIDEOMEMORY) &&
      !(flags & kSurfaceSystemMemory)) {
    desc.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;
    lastDDResult = lpDD->CreateSurface(&desc, holder, NULL);
  }
  return StatusOf(lastDDResult);
}

int SetSurfaceColorKey(LPDIRECTDRAWSURFACE surface, DWORD low, DWORD high) {
  if (surface == NULL) return kDisplayRefused;
  DDCOLORKEY key;
  key.dwColorSpaceLowValue = low;
  key.dwColorSpaceHighValue = high;
  lastDDResult = surface->SetColorKey(DDCKEY_SRCBLT, &key);
  return StatusOf(lastDDResult);
}

int SetPaletteEntries(PALETTEENTRY* entries) {
  if (lpDDPal == NULL) return kDisplayRefused;
  lastDDResult = lpDDPal->SetEntries(0, 0, 256, entries);
  return StatusOf(lastDDResult);
}

int ReleaseSurface(LPDIRECTDRAWSURFACE* holder) {
  if (holder == NULL || *holder == NULL) return kDisplayOk;
  ULONG left = (*holder)->Release();
  lastDDResult = (HRESULT)left;
  if (left != 0) return kDisplayRefused;
  *holder = NULL;
  return kDisplayOk;
}

int ReleaseDisplay(void) {
  ReleaseSurface(&lpImage1);
  ReleaseSurface(&lpScratch);
  if (lpDDSPrimary != NULL) {
    lpDDSPrimary->Release();
    lpDDSPrimary = NULL;
  }
  if (!(displayFlags & kDisplayFullScreen)) {
    if (lpDDSBack != NULL) lpDDSBack->Release();
  }
  // The full-screen back buffer went with its chain; never leave it dangling.
  lpDDSBack = NULL;
  if (lpDDPal != NULL) {
    lpDDPal->Release();
    lpDDPal = NULL;
  }
  if (lpDD != NULL) {
    lpDD->Release();
    lpDD = NULL;
  }
  return kDisplayOk;
}

int ColorFill(LPDIRECTDRAWSURFACE surface, DWORD index) {
  if (surface == NULL) return kDisplayRefused;
  DDBLTFX fx;
  memset(&fx, 0, sizeof fx);
  fx.dwSize = sizeof fx;
  fx.dwFillColor = index;
  int status;
  do {
    lastDDResult = surface->Blt(NULL, NULL, NULL, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  } while ((status = RetryOutcome()) == kRetry);
  return status;
}

int BltToSurface(LPDIRECTDRAWSURFACE target, RECT* dest, LPDIRECTDRAWSURFACE source,
                 RECT* sourceRect, DWORD flags, LPDDBLTFX fx) {
  if (target == NULL || source == NULL) return kDisplayRefused;
  int status;
  do {
    lastDDResult = target->Blt(dest, source, sourceRect, flags, fx);
  } while ((status = RetryOutcome()) == kRetry);
  return status;
}

int BltToBack(RECT* dest, LPDIRECTDRAWSURFACE source, RECT* sourceRect, DWORD flags, LPDDBLTFX fx) {
  return BltToSurface(lpDDSBack, dest, source, sourceRect, flags, fx);
}

int BltFastToBack(POINT at, LPDIRECTDRAWSURFACE source, RECT* sourceRect, DWORD flags) {
  if (lpDDSBack == NULL || source == NULL) return kDisplayRefused;
  int status;
  do {
    lastDDResult = lpDDSBack->BltFast((DWORD)at.x, (DWORD)at.y, source, sourceRect, flags);
  } while ((status = RetryOutcome()) == kRetry);
  return status;
}

int PresentFrame(void) {
  if (lpDDSPrimary == NULL) return kDisplayRefused;
  if (displayFlags & kDisplayFullScreen) {
    lastDDResult = lpDDSPrimary->Flip(NULL, DDFLIP_WAIT);
    return StatusOf(lastDDResult);
  }
  if (lpDDSBack == NULL) return kDisplayRefused;
  // The primary is the whole desktop and has no clipper: the frame goes onto
  // the window's client area, which lies inside the desktop, and not onto the
  // outer window rectangle, which begins left of and above the screen origin.
  RECT dest;
  POINT origin = {0, 0};
  if (!GetClientRect(displayWindow, &dest) || !ClientToScreen(displayWindow, &origin)) {
    return kDisplayRefused;
  }
  dest.left += origin.x;
  dest.right += origin.x;
  dest.top += origin.y;
  dest.bottom += origin.y;
  lastDDResult = lpDDSPrimary->Blt(&dest, lpDDSBack, NULL, DDBLT_WAIT, NULL);
  return StatusOf(lastDDResult);
}

int RestoreSurfaces(void) { return kDisplayOk; }
