// STAND-IN until the saver window lands.
#include "shell/window.h"

HWND saverWindow;
WPARAM saverActive;
RECT windowRect = {0, 0, 640, 480};

int CreateSaverWindow(HINSTANCE, int) { return 0; }
LRESULT CALLBACK SaverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}
