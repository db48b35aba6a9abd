// The saver window and the input that ends the saver.
#ifndef VOQ_SHELL_WINDOW_H
#define VOQ_SHELL_WINDOW_H

#include <windows.h>

#define kSaverClassName "VOQ"
#define kSaverTitle "Quillovarnenthodex"

extern HWND saverWindow;
extern WPARAM saverActive;
extern RECT windowRect;

int CreateSaverWindow(HINSTANCE instance, int fullScreen);
LRESULT CALLBACK SaverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
