#include "shell/entry.h"

#include <ddraw.h>

#include <stdlib.h>
#include <string.h>

#include "data/saver_data.h"
#include "display/display.h"
#include "image/palette.h"
#include "scene/scene.h"
#include "shell/about.h"
#include "shell/window.h"

char* programPath;
int firstFrameDrawn;

static char* CopyOf(const char* text, size_t length) {
  char* copy = (char*)malloc(length + 1);
  if (copy == NULL) return NULL;
  memcpy(copy, text, length);
  copy[length] = 0;
  return copy;
}

char* DeriveOwnPath(const char* commandLine) {
  long length = (long)strlen(commandLine);
  const char* start = commandLine;
  long count;
  if (commandLine[0] == '"') {
    // "path" /s: drop the quote, the closing quote, the blank and the switch.
    start++;
    count = length - 5;
  } else {
    // path /s: only the switch goes; the blank stays, and opening ignores it.
    count = length - 2;
  }
  if (count < 1) count = 0;
  return CopyOf(start, (size_t)count);
}

RunMode ParseRunMode(const char* args) {
  RunMode mode = kRunConfig;
  for (int i = 0; i < 2 && args[i] != 0; i++) {
    char c = args[i];
    if (c == 'p') mode = kRunPreview;
    if (c == 'S' || c == 's') mode = kRunSaver;
    if (c == 'A' || c == 'a') mode = kRunPassword;
  }
  return mode;
}

uintptr_t ParsePasswordHandle(const char* args) {
  if (strlen(args) < 4) return 0;
  const char* at = args + 3;
  while (*at == ' ' || *at == ':') at++;
  while (*at == ' ' || (*at >= '\t' && *at <= '\r')) at++;
  int negative = 0;
  if (*at == '+' || *at == '-') negative = *at++ == '-';
  // Window handles are 32-bit values, even on 64-bit Windows; absurdly long
  // digit strings wrap instead of overflowing.
  uint32_t value = 0;
  while (*at >= '0' && *at <= '9') value = value * 10u + (uint32_t)(*at++ - '0');
  if (negative) value = 0u - value;
  return (uintptr_t)value;
}

static int RunSaver(HINSTANCE instance, const char* args) {
  if (!ReadSaverData(programPath)) {
    MessageBoxA(NULL, "corrupt header", "", MB_OK);
    return 0;
  }
  int windowed = args[0] == 'w';
  if (!CreateSaverWindow(instance, windowed ? 0 : 1)) return 0;
  dataPath = CopyOf(programPath, strlen(programPath));
  if (dataPath == NULL ||
      InitDisplay(saverWindow, 640, 480, 8, windowed ? 0 : kDisplayFullScreen) != kDisplayOk) {
    DestroyWindow(saverWindow);
    return 0;
  }
  ColorFill(lpDDSBack, (DWORD)backgroundIndex);
  ColorFill(lpDDSPrimary, (DWORD)backgroundIndex);
  if (!SetupScene()) {
    DestroyWindow(saverWindow);
    return 0;
  }
  // The timer drives nothing; its messages only pass through the window procedure.
  SetTimer(saverWindow, 0, 100, NULL);
  SetCursor(NULL);

  MSG msg;
  for (;;) {
    if (PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE)) {
      if (!GetMessageA(&msg, NULL, 0, 0)) break;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else if (saverActive) {
      DrawFrame();
      firstFrameDrawn = 1;
    } else {
      WaitMessage();
    }
  }
  ReleaseDisplay();
  return (int)msg.wParam;
}

int RunProgram(HINSTANCE instance, const char* commandLine, const char* args) {
  if (args == NULL) args = "";
  free(programPath);
  free(dataPath);
  dataPath = NULL;
  programPath = DeriveOwnPath(commandLine != NULL ? commandLine : "");
  if (programPath == NULL) return 0;
  switch (ParseRunMode(args)) {
    case kRunSaver:
      return RunSaver(instance, args);
    case kRunPassword:
      ChangePassword((HWND)ParsePasswordHandle(args));
      break;
    case kRunPreview:
      break;
    case kRunConfig:
      ShowAboutBox(instance);
      break;
  }
  PostQuitMessage(0);
  return 0;
}
