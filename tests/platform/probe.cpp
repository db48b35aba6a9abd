// A tiny Win32-style program over platform/, run by the platform tests.
// VOQ_PROBE selects what it does:
//   cmdline  prints GetCommandLineA() and the argument text, one per line
//   display  prints whether there is a display and whether a window was made
//   frames   runs a saver-like loop presenting numbered frames until WM_QUIT
//   record   prints every message its window gets, until Escape or 30 s
//   about    shows the about box with a procedure like the program's and
//            prints what reaches it
// VOQ_PROBE_STYLE=caption makes the window captioned instead of full screen.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "platform_internal.h"

namespace {

const int kWidth = 640;
const int kHeight = 480;
const int kFrameCap = 1000;
const UINT kRecordSeconds = 30;

WPARAM active;
unsigned timerTicks;

const char* MessageName(UINT message) {
  switch (message) {
    case WM_CREATE: return "WM_CREATE";
    case WM_DESTROY: return "WM_DESTROY";
    case WM_ACTIVATE: return "WM_ACTIVATE";
    case WM_SETFOCUS: return "WM_SETFOCUS";
    case WM_KILLFOCUS: return "WM_KILLFOCUS";
    case WM_CLOSE: return "WM_CLOSE";
    case WM_SHOWWINDOW: return "WM_SHOWWINDOW";
    case WM_ACTIVATEAPP: return "WM_ACTIVATEAPP";
    case WM_NCACTIVATE: return "WM_NCACTIVATE";
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_CHAR: return "WM_CHAR";
    case WM_SYSKEYDOWN: return "WM_SYSKEYDOWN";
    case WM_SYSKEYUP: return "WM_SYSKEYUP";
    case WM_SYSCHAR: return "WM_SYSCHAR";
    case WM_SYSCOMMAND: return "WM_SYSCOMMAND";
    case WM_TIMER: return "WM_TIMER";
    case WM_MOUSEMOVE: return "WM_MOUSEMOVE";
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP: return "WM_LBUTTONUP";
    case WM_RBUTTONDOWN: return "WM_RBUTTONDOWN";
    case WM_RBUTTONUP: return "WM_RBUTTONUP";
    default: return NULL;
  }
}

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const char* name = MessageName(message);
  if (message == WM_TIMER) {
    if (++timerTicks >= kRecordSeconds) DestroyWindow(window);
    return 0;
  }
  if (message >= WM_MOUSEMOVE && message <= WM_MBUTTONUP)
    printf("%s %d %d\n", name, (int)LOWORD(lParam), (int)HIWORD(lParam));
  else if (name != NULL)
    printf("%s 0x%lx 0x%lx\n", name, (unsigned long)wParam, (unsigned long)(DWORD)lParam);
  else
    printf("0x%x 0x%lx 0x%lx\n", message, (unsigned long)wParam, (unsigned long)(DWORD)lParam);
  fflush(stdout);
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) PostMessageA(window, WM_CLOSE, 0, 0);
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK SaverLikeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message == WM_ACTIVATE || message == WM_ACTIVATEAPP) && LOWORD(wParam) != 0) active = wParam;
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(WNDPROC proc) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = proc;
  windowClass.lpszClassName = "PROBE";
  if (RegisterClassA(&windowClass) == 0) return NULL;
  const char* style = getenv("VOQ_PROBE_STYLE");
  DWORD flags = style != NULL && strcmp(style, "caption") == 0
                    ? WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX
                    : WS_POPUP | WS_VISIBLE;
  return CreateWindowExA(WS_EX_TOPMOST, "PROBE", "voq probe", flags, 0, 0, kWidth, kHeight, NULL,
                         NULL, NULL, NULL);
}

// Frame n: pixel (x, y) holds (x + 2y + n) mod 256; palette entry i is
// (i, 255 - i, 7i mod 256).
int RunFrames() {
  HWND window = MakeWindow(SaverLikeProc);
  if (window == NULL) return 2;
  static BYTE pixels[kWidth * kHeight];
  PALETTEENTRY palette[256];
  for (int i = 0; i < 256; i++) palette[i] = {(BYTE)i, (BYTE)(255 - i), (BYTE)(i * 7), 0};
  SetTimer(window, 0, 100, NULL);
  int frames = 0;
  MSG msg;
  for (;;) {
    if (PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE)) {
      if (!GetMessageA(&msg, NULL, 0, 0)) break;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else if (active) {
      if (frames == kFrameCap) return 3;
      for (int y = 0; y < kHeight; y++)
        for (int x = 0; x < kWidth; x++) pixels[y * kWidth + x] = (BYTE)(x + 2 * y + frames);
      PlatformPresent(pixels, kWidth, kWidth, kHeight, palette, true, nullptr);
      frames++;
    } else {
      WaitMessage();
    }
  }
  printf("frames %d\n", frames);
  return (int)msg.wParam;
}

int RunRecord() {
  setvbuf(stdout, NULL, _IOLBF, 0);
  HWND window = MakeWindow(RecordingProc);
  if (window == NULL) return 2;
  SetTimer(window, 1, 1000, NULL);
  printf("ready\n");
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return timerTicks >= kRecordSeconds ? 4 : 0;
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) printf("WM_INITDIALOG\n");
  if (message != WM_COMMAND) return FALSE;
  printf("WM_COMMAND %d\n", (int)wParam);
  fflush(stdout);
  if (wParam == IDOK) EndDialog(dialog, IDOK);
  return wParam == IDOK || wParam == 1000;
}

int RunAbout() {
  setvbuf(stdout, NULL, _IOLBF, 0);
  INT_PTR result = DialogBoxParamA(NULL, MAKEINTRESOURCEA(101), NULL, AboutProc, 0);
  printf("result %d\n", (int)result);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int) {
  const char* mode = getenv("VOQ_PROBE");
  if (mode == NULL) return 1;
  if (strcmp(mode, "cmdline") == 0) {
    printf("%s\n%s\n", GetCommandLineA(), lpCmdLine);
    return 0;
  }
  if (strcmp(mode, "display") == 0) {
    bool display = PlatformHasDisplay();
    HWND window = MakeWindow(SaverLikeProc);
    printf("display %d window %d\n", display ? 1 : 0, window != NULL ? 1 : 0);
    return 0;
  }
  if (strcmp(mode, "frames") == 0) return RunFrames();
  if (strcmp(mode, "record") == 0) return RunRecord();
  if (strcmp(mode, "about") == 0) return RunAbout();
  return 1;
}
