// The free platform functions the display layer calls, faked for its unit test
// (the executable links these instead of the platform library).
#ifndef VOQ_TESTS_FAKE_PLATFORM_H
#define VOQ_TESTS_FAKE_PLATFORM_H

#include <windows.h>

#include "fake_ddraw.h"

struct FakePlatform {
  // DirectDrawCreate hands out this object (or NULL) and answers createResult.
  FakeDirectDraw* directDraw = nullptr;
  HRESULT createResult = DD_OK;
  // The screen's system palette as GetSystemPaletteEntries reports it.
  PALETTEENTRY systemPalette[256];
  HDC screenDC = (HDC)0x5C;
  // The window's client area and its origin on the screen.
  BOOL clientRectAnswer = TRUE;
  RECT clientRect = {0, 0, 640, 480};
  BOOL clientToScreenAnswer = TRUE;
  POINT clientOrigin = {0, 0};
};

FakePlatform& TheFakePlatform();
void ResetFakePlatform();

#endif
