#include <windows.h>

#include "shell/entry.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int) {
  return RunProgram(hInstance, GetCommandLineA(), lpCmdLine);
}
