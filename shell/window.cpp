// The saver window: exclusive mode is bound to it, its input ends the saver,
// and its activation lets the main loop draw.
#include "shell/window.h"

#include "shell/entry.h"

HWND saverWindow;
WPARAM saverActive;
RECT windowRect = {0, 0, 640, 480};

// Mouse positions as the messages carry them: unsigned 16-bit.
static WORD lastMouseX;
static WORD lastMouseY;

static const DWORD kFullScreenStyle = WS_POPUP | WS_VISIBLE;
// The overlapped-window set without the maximise box.
static const DWORD kWindowedStyle =
    WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
// A pointer that moves further than this between two messages ends the saver.
static const int kMouseThreshold = 10;

int CreateSaverWindow(HINSTANCE instance, int fullScreen) {
  WNDCLASSA windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = SaverWndProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = instance;
  windowClass.hIcon = NULL;
  windowClass.hCursor = NULL;
  windowClass.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
  windowClass.lpszMenuName = NULL;
  windowClass.lpszClassName = kSaverClassName;
  if (!RegisterClassA(&windowClass)) return 0;

  DWORD style = kFullScreenStyle;
  if (!fullScreen) {
    style = kWindowedStyle;
    windowRect.left = 0;
    windowRect.top = 0;
    windowRect.right = 640;
    windowRect.bottom = 480;
    AdjustWindowRectEx(&windowRect, style, FALSE, 0);
  }
  saverWindow = CreateWindowExA(WS_EX_TOPMOST, kSaverClassName, kSaverTitle, style, 0, 0, 640, 480,
                                NULL, NULL, instance, NULL);
  return saverWindow != NULL ? 1 : 0;
}

static void OnMouseMove(HWND window, LPARAM lParam) {
  WORD x = LOWORD(lParam);
  WORD y = HIWORD(lParam);
  // Until a frame is on the screen the pointer only sets the reference point.
  if (!firstFrameDrawn) {
    lastMouseX = x;
    lastMouseY = y;
  }
  int dx = (int)lastMouseX - (int)x;
  int dy = (int)lastMouseY - (int)y;
  if (dx > kMouseThreshold || dy > kMouseThreshold || dx < -kMouseThreshold ||
      dy < -kMouseThreshold) {
    PostMessageA(window, WM_CLOSE, 0, 0);
  }
  lastMouseX = x;
  lastMouseY = y;
}

LRESULT CALLBACK SaverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
      // Never reset: once activated, the main loop draws for good.
      if (LOWORD(wParam) != 0) saverActive = wParam;
      break;
    case WM_CLOSE:
      DestroyWindow(window);
      PostQuitMessage(0);
      break;
    case WM_SETCURSOR:
      SetCursor(NULL);
      break;
    case WM_KEYDOWN:
    case WM_SYSCOMMAND:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      PostMessageA(window, WM_CLOSE, 0, 0);
      break;
    case WM_SYSKEYUP:
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(window, lParam);
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
