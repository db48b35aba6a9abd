// STAND-IN: windows, messages, dialogs and presentation come with the window
// and display work; until then these do nothing useful.
#include <windows.h>

#include <stdio.h>

#include "command_line.h"
#include "platform_internal.h"

bool PlatformHasDisplay(void) { return false; }
void PlatformEchoMessage(const char* caption, const char* text) {
  fprintf(stderr, "[%s] %s\n", caption != NULL ? caption : "", text != NULL ? text : "");
}
void PlatformPresent(const BYTE*, LONG, int, int, const PALETTEENTRY*, bool) {}
void PlatformShutdown(void) {}

int WINAPI MessageBoxA(HWND, LPCSTR lpText, LPCSTR lpCaption, UINT) {
  PlatformEchoMessage(lpCaption, lpText);
  return IDOK;
}
ATOM WINAPI RegisterClassA(const WNDCLASSA*) { return 0; }
HWND WINAPI CreateWindowExA(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE,
                            LPVOID) {
  return NULL;
}
LRESULT WINAPI DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }
BOOL WINAPI DestroyWindow(HWND) { return FALSE; }
BOOL WINAPI PeekMessageA(LPMSG, HWND, UINT, UINT, UINT) { return FALSE; }
BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND, UINT, UINT) {
  lpMsg->message = WM_QUIT;
  lpMsg->wParam = 0;
  return FALSE;
}
BOOL WINAPI TranslateMessage(const MSG*) { return FALSE; }
LRESULT WINAPI DispatchMessageA(const MSG*) { return 0; }
BOOL WINAPI WaitMessage(void) { return TRUE; }
BOOL WINAPI PostMessageA(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
void WINAPI PostQuitMessage(int) {}
UINT_PTR WINAPI SetTimer(HWND, UINT_PTR, UINT, TIMERPROC) { return 0; }
HCURSOR WINAPI SetCursor(HCURSOR) { return NULL; }
BOOL WINAPI AdjustWindowRectEx(LPRECT, DWORD, BOOL, DWORD) { return TRUE; }
INT_PTR WINAPI DialogBoxParamA(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) { return IDOK; }
BOOL WINAPI EndDialog(HWND, INT_PTR) { return TRUE; }
BOOL WINAPI GetClientRect(HWND, LPRECT) { return FALSE; }
BOOL WINAPI ClientToScreen(HWND, POINT*) { return FALSE; }
HGDIOBJ WINAPI GetStockObject(int) { return NULL; }
HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) { return NULL; }
