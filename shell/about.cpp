// STAND-IN until the about box and password change land.
#include "shell/about.h"

INT_PTR CALLBACK AboutDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
void ShowAboutBox(HINSTANCE) {}
void ChangePassword(HWND) {}
