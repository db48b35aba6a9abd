// STAND-IN: the software DirectDraw comes with the display work.
#include <ddraw.h>

HRESULT WINAPI DirectDrawCreate(GUID*, LPDIRECTDRAW* lplpDD, IUnknown*) {
  if (lplpDD != NULL) *lplpDD = NULL;
  return DDERR_UNSUPPORTED;
}
