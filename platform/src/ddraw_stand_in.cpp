// STAND-IN: the software DirectDraw comes with the display work.
#include <ddraw.h>

#include "platform_internal.h"

HRESULT WINAPI DirectDrawCreate(GUID*, LPDIRECTDRAW* lplpDD, IUnknown*) {
  if (lplpDD != NULL) *lplpDD = NULL;
  return DDERR_UNSUPPORTED;
}

const PALETTEENTRY kPlatformSystemColors[20] = {};
HDC WINAPI GetDC(HWND) { return (HDC)1; }
int WINAPI ReleaseDC(HWND, HDC) { return 1; }
UINT WINAPI GetSystemPaletteEntries(HDC, UINT, UINT, LPPALETTEENTRY) { return 0; }
