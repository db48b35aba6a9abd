// SDL's video start-up and end, and message boxes.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "command_line.h"
#include "platform_internal.h"
#include "window_internal.h"

enum VideoState { kVideoNotTried, kVideoRunning, kVideoFailed };

static VideoState videoState;
static bool hasDisplay;

static bool HasVariable(const char* name) {
  const char* value = getenv(name);
  return value != NULL && value[0] != 0;
}

// True when the environment names no display at all, so nothing can be shown.
static bool HeadlessByName(void) {
  const char* driver = getenv("SDL_VIDEODRIVER");
  if (driver != NULL && strcmp(driver, "dummy") == 0) return true;
  return !HasVariable("SDL_VIDEODRIVER") && !HasVariable("DISPLAY") &&
         !HasVariable("WAYLAND_DISPLAY");
}

bool StartVideo(void) {
  if (videoState == kVideoNotTried) {
    // Ctrl+C and kill must end the process as they would without SDL.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // The saver's window stays up when focus moves elsewhere.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // A screen saver is what the display's own blanking and power saving
    // wait for, not a game to hold them off: the monitor still goes dark.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // Named no display at all: headless at once, rather than letting SDL
    // probe for one (and take over a console's screen if it finds it).
    if (HeadlessByName() && !HasVariable("SDL_VIDEODRIVER"))
      SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    bool started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (started) {
      const char* driver = SDL_GetCurrentVideoDriver();
      hasDisplay = driver != NULL && strcmp(driver, "dummy") != 0 &&
                   strcmp(driver, "offscreen") != 0 && strcmp(driver, "evdev") != 0;
    } else {
      // No display: run headless, as under the dummy driver.
      SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "dummy", SDL_HINT_OVERRIDE);
      started = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    }
    videoState = started ? kVideoRunning : kVideoFailed;
    // Keys arrive as key events; nothing here composes text.
    if (started) SDL_StopTextInput();
  }
  return videoState == kVideoRunning;
}

bool VideoRunning(void) { return videoState == kVideoRunning; }

bool PlatformHasDisplay(void) { return StartVideo() && hasDisplay; }

void PlatformEchoMessage(const char* caption, const char* text) {
  fprintf(stderr, "[%s] %s\n", caption != NULL ? caption : "", text != NULL ? text : "");
}

int WINAPI MessageBoxA(HWND, LPCSTR lpText, LPCSTR lpCaption, UINT) {
  PlatformEchoMessage(lpCaption, lpText);
  // A headless box is only its echo; it need not start the video for that.
  if (!(videoState == kVideoNotTried && HeadlessByName()) && PlatformHasDisplay()) {
    // Windows' caption for a box given none.
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, lpCaption != NULL ? lpCaption : "Error",
                             lpText != NULL ? lpText : "", platformWindow.sdl);
  }
  return IDOK;
}

void PlatformShutdown(void) {
  // Leaving the process destroys windows without messages, as on Windows.
  ReleaseWindow();
  EndFrameCapture();
  ReportFrames();
  if (videoState == kVideoRunning) SDL_Quit();
  videoState = kVideoNotTried;
}
