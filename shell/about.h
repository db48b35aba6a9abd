// The about box of configuration mode and the password change.
#ifndef VOQ_SHELL_ABOUT_H
#define VOQ_SHELL_ABOUT_H

#include <windows.h>

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Shows dialog 101 and returns when it is closed.
void ShowAboutBox(HINSTANCE instance);
void ChangePassword(HWND parent);

#endif
