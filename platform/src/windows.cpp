// Window classes, the saver window and what USER's default handling does
// with it.
#include <string.h>
#include <strings.h>

#include "hack.h"
#include "platform_internal.h"
#include "window_internal.h"

#define kClassCount 4
#define kClassNameLength 64
#define kFirstClassAtom 0xC000

// Frame sizes that AdjustWindowRectEx reports: the classic Windows metrics.
#define kSizingFrame 4
#define kDialogFrame 3
#define kCaptionHeight 19
#define kMenuHeight 19
#define kStyleBorder 0x00800000u
#define kStyleDialogFrame 0x00400000u

#define kStockObjectCount 20

struct WindowClass {
  char name[kClassNameLength];
  WNDPROC proc;
};

PlatformWindow platformWindow;
static WindowClass classes[kClassCount];
static int classCount;
static uintptr_t lastHandle = 0x10000;
static HCURSOR currentCursor;
static bool cursorHidden;

HWND NewHandle(void) {
  lastHandle += 4;
  return (HWND)lastHandle;
}

bool IsLiveWindow(HWND window) { return window != NULL && window == platformWindow.handle; }

LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!IsLiveWindow(window)) return 0;
  return platformWindow.proc(window, message, wParam, lParam);
}

// A class by name (case-insensitive, as USER compares them) or by atom.
static WindowClass* FindClass(LPCSTR name) {
  uintptr_t atom = (uintptr_t)name;
  if (atom < 0x10000) {
    return atom >= kFirstClassAtom && atom < kFirstClassAtom + (uintptr_t)classCount
               ? &classes[atom - kFirstClassAtom]
               : NULL;
  }
  for (int i = 0; i < classCount; i++) {
    if (strcasecmp(classes[i].name, name) == 0) return &classes[i];
  }
  return NULL;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
  if (lpWndClass == NULL || lpWndClass->lpfnWndProc == NULL || lpWndClass->lpszClassName == NULL ||
      (uintptr_t)lpWndClass->lpszClassName < 0x10000)
    return 0;
  const char* name = lpWndClass->lpszClassName;
  if (classCount == kClassCount || strlen(name) >= kClassNameLength || FindClass(name) != NULL)
    return 0;
  strcpy(classes[classCount].name, name);
  classes[classCount].proc = lpWndClass->lpfnWndProc;
  return (ATOM)(kFirstClassAtom + classCount++);
}

// The messages of a window gaining or losing the activation and the focus,
// in the order USER sends them; stops early when the window is destroyed.
static void SendActivation(HWND window, bool active) {
  static const UINT kGain[4] = {WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS};
  static const UINT kLose[4] = {WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP, WM_KILLFOCUS};
  const UINT* order = active ? kGain : kLose;
  for (int i = 0; i < 4 && IsLiveWindow(window); i++) {
    WPARAM wParam = order[i] == WM_SETFOCUS || order[i] == WM_KILLFOCUS ? 0 : active ? 1 : 0;
    SendToWindow(window, order[i], wParam, 0);
  }
}

// A new visible window takes the keyboard, as Windows activates a new
// visible popup. Without a window manager nobody else would give it the
// focus, and keys would go on to whichever window had it last.
static void TakeFocus(PlatformWindow* window) {
  if (window->sdl == NULL || !PlatformHasDisplay() || DrawsInForeignWindow()) return;
  SDL_RaiseWindow(window->sdl);
  SDL_SetWindowInputFocus(window->sdl);
}

static void ApplyCursor(void) {
  // SDL sets the cursor on every window it knows, a foreign one too.
  if (VideoRunning() && !DrawsInForeignWindow())
    SDL_ShowCursor(cursorHidden ? SDL_DISABLE : SDL_ENABLE);
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int, int, HWND, HMENU, HINSTANCE, LPVOID) {
  WindowClass* windowClass = FindClass(lpClassName);
  if (windowClass == NULL || platformWindow.handle != NULL) return NULL;
  PlatformWindow* window = &platformWindow;
  if (StartVideo()) {
    // A captioned window is the saver's image in a frame; anything else
    // stands in for a full-screen mode of that size.
    Uint32 flags = (dwStyle & WS_CAPTION) == WS_CAPTION
                       ? ((dwStyle & WS_THICKFRAME) ? SDL_WINDOW_RESIZABLE : 0)
                       : SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
    if (dwExStyle & WS_EX_TOPMOST) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    if (!(dwStyle & WS_VISIBLE)) flags |= SDL_WINDOW_HIDDEN;
    // Without a window manager nobody resizes a full-screen window for SDL,
    // so it is made at the desktop's size from the start.
    SDL_Rect area = {X, Y, kClientWidth, kClientHeight};
    if (flags & SDL_WINDOW_FULLSCREEN) SDL_GetDisplayBounds(0, &area);
    window->sdl = HackGivesWindow() ? OpenGivenWindow()
                                    : SDL_CreateWindow(lpWindowName != NULL ? lpWindowName : "",
                                                       area.x, area.y, area.w, area.h, flags);
    if (window->sdl == NULL) return NULL;
    CreatePresentation(window);
    ApplyCursor();
  }
  HWND handle = NewHandle();
  window->handle = handle;
  window->proc = windowClass->proc;
  // No CREATESTRUCT exists here; -1 still refuses the window, as on Windows.
  if (SendToWindow(handle, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(handle);
    return NULL;
  }
  if (dwStyle & WS_VISIBLE) {
    SendToWindow(handle, WM_SHOWWINDOW, TRUE, 0);
    SendActivation(handle, true);
    if (IsLiveWindow(handle)) {
      platformWindow.active = true;
      PostPointerIfInside();
      TakeFocus(&platformWindow);
    }
  }
  return IsLiveWindow(handle) ? handle : NULL;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
  if (!IsLiveWindow(hWnd) || platformWindow.destroying) return FALSE;
  platformWindow.destroying = true;
  if (platformWindow.active) SendActivation(hWnd, false);
  SendToWindow(hWnd, WM_DESTROY, 0, 0);
  ReleaseWindow();
  return TRUE;
}

void ReleaseWindow(void) {
  HWND window = platformWindow.handle;
  if (window == NULL) return;
  DestroyPresentation(&platformWindow);
  if (platformWindow.sdl != NULL) SDL_DestroyWindow(platformWindow.sdl);
  memset(&platformWindow, 0, sizeof platformWindow);
  ForgetWindowMessages(window);
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  bool altHeld = (lParam & (1 << 29)) != 0;
  switch (Msg) {
    case WM_CLOSE:
      DestroyWindow(hWnd);
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendToWindow(hWnd, WM_CLOSE, 0, 0);
      break;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && altHeld) PostMessageA(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case WM_SYSKEYUP:
      // Alt pressed and released alone opens the (absent) window menu.
      if (wParam == VK_MENU) SendToWindow(hWnd, WM_SYSCOMMAND, SC_KEYMENU, 0);
      break;
    case WM_SYSCHAR:
      if (altHeld) SendToWindow(hWnd, WM_SYSCOMMAND, SC_KEYMENU, (LPARAM)wParam);
      break;
  }
  return 0;
}

HCURSOR WINAPI SetCursor(HCURSOR hCursor) {
  HCURSOR previous = currentCursor;
  currentCursor = hCursor;
  cursorHidden = hCursor == NULL;
  ApplyCursor();
  return previous;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD) {
  if (lpRect == NULL) return FALSE;
  LONG frame = (dwStyle & WS_THICKFRAME)       ? kSizingFrame
               : (dwStyle & kStyleDialogFrame) ? kDialogFrame
               : (dwStyle & kStyleBorder)      ? 1
                                               : 0;
  LONG top = frame + ((dwStyle & WS_CAPTION) == WS_CAPTION ? kCaptionHeight : 0) +
             (bMenu ? kMenuHeight : 0);
  lpRect->left -= frame;
  lpRect->right += frame;
  lpRect->top -= top;
  lpRect->bottom += frame;
  return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int i) {
  // Nothing here paints with GDI objects; a distinct token per stock object.
  return i >= 0 && i < kStockObjectCount ? (HGDIOBJ)(uintptr_t)(0x100 + i) : NULL;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
  if (!IsLiveWindow(hWnd) || lpRect == NULL) return FALSE;
  lpRect->left = 0;
  lpRect->top = 0;
  lpRect->right = kClientWidth;
  lpRect->bottom = kClientHeight;
  return TRUE;
}

// The windowed primary surface is this window's client area, so client and
// screen coordinates coincide.
BOOL WINAPI ClientToScreen(HWND hWnd, POINT* lpPoint) {
  return IsLiveWindow(hWnd) && lpPoint != NULL;
}
