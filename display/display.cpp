// STAND-IN until the display layer lands: every operation is refused.
#include "display/display.h"

LPDIRECTDRAW lpDD;
LPDIRECTDRAWSURFACE lpDDSPrimary;
LPDIRECTDRAWSURFACE lpDDSBack;
LPDIRECTDRAWPALETTE lpDDPal;
LPDIRECTDRAWSURFACE lpImage1;
LPDIRECTDRAWSURFACE lpScratch;
DWORD displayFlags;
HRESULT lastDDResult;

int InitDisplay(HWND, uint16_t, uint16_t, uint16_t, DWORD) { return kDisplayRefused; }
int CreateImageSurface(uint16_t, uint16_t, DWORD, LPDIRECTDRAWSURFACE*) { return kDisplayRefused; }
int SetSurfaceColorKey(LPDIRECTDRAWSURFACE, DWORD, DWORD) { return kDisplayRefused; }
int SetPaletteEntries(PALETTEENTRY*) { return kDisplayRefused; }
int ReleaseSurface(LPDIRECTDRAWSURFACE*) { return kDisplayOk; }
int ReleaseDisplay(void) { return kDisplayOk; }
int ColorFill(LPDIRECTDRAWSURFACE, DWORD) { return kDisplayRefused; }
int BltToBack(RECT*, LPDIRECTDRAWSURFACE, RECT*, DWORD, LPDDBLTFX) { return kDisplayRefused; }
int BltToSurface(LPDIRECTDRAWSURFACE, RECT*, LPDIRECTDRAWSURFACE, RECT*, DWORD, LPDDBLTFX) {
  return kDisplayRefused;
}
int BltFastToBack(POINT, LPDIRECTDRAWSURFACE, RECT*, DWORD) { return kDisplayRefused; }
int PresentFrame(void) { return kDisplayRefused; }
int RestoreSurfaces(void) { return kDisplayOk; }
