// Presentation: the 8-bit frame through its palette onto the saver window's
// surface, scaled to fit, sending the display only what changed; frame
// capture, the frame limit and the frame report for tests and benchmarks.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "platform_internal.h"
#include "window_internal.h"

#define kDefaultRefreshRate 60

static unsigned framesPresented;
static long frameLimit = -1;
static Uint64 nextFrameDue;
static Uint64 firstFrameAt, lastFrameAt;

// The window's surface, with the painter aimed at it again whenever SDL has
// remade it (after a change of size).
static SDL_Surface* WindowTarget(PlatformWindow* window) {
  SDL_Surface* surface = SDL_GetWindowSurface(window->sdl);
  FramePainter* painter = &window->painter;
  if (surface != NULL && (surface != painter->target || surface->w != painter->targetWidth ||
                          surface->h != painter->targetHeight))
    SetPaintTarget(painter, surface);
  return surface;
}

static void Send(PlatformWindow* window, int rects) {
  if (rects > 0) SDL_UpdateWindowSurfaceRects(window->sdl, window->painter.rects, rects);
}

void CreatePresentation(PlatformWindow* window) {
  if (!PlatformHasDisplay()) return;
  // X's own shared-memory images, not a texture: on a display without a GPU
  // SDL's texture path is OpenGL in software, and with only the changed
  // rectangles sent the image is cheap for the X server on any display. The
  // texture path would also recreate a window XScreenSaver gave us for
  // OpenGL, mapping and raising it.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver != NULL && strcmp(driver, "x11") == 0)
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_DisplayMode mode;
  int refreshRate = SDL_GetWindowDisplayMode(window->sdl, &mode) == 0 && mode.refresh_rate > 0
                        ? mode.refresh_rate
                        : kDefaultRefreshRate;
  window->framePeriod = SDL_GetPerformanceFrequency() / (Uint64)refreshRate;
  window->presenting = true;
  // The class's black background until the first frame arrives.
  ShowLatestFrame();
}

void DestroyPresentation(PlatformWindow* window) {
  FreePainter(&window->painter);
  window->presenting = false;
}

void ShowLatestFrame(void) {
  PlatformWindow* window = &platformWindow;
  if (!window->presenting || WindowTarget(window) == NULL) return;
  Send(window, RepaintFrame(&window->painter));
}

// Holds a frame back until the display's next refresh is due: the window
// surface has no vertical blank to wait for.
static void PaceFrame(void) {
  Uint64 period = platformWindow.framePeriod;
  if (!platformWindow.presenting || period == 0) return;
  Uint64 now = SDL_GetPerformanceCounter();
  if (nextFrameDue > now) {
    SDL_Delay((Uint32)((nextFrameDue - now) * 1000 / SDL_GetPerformanceFrequency()));
    now = SDL_GetPerformanceCounter();
  }
  // Woken late by less than a refresh (a busy machine), the next frame keeps
  // the beat, so that the show still moves at the display's rate; later than
  // that, the beat starts again from now.
  nextFrameDue = now < nextFrameDue + period ? nextFrameDue + period : now + period;
}

void PlatformPresent(const BYTE* pixels, LONG pitch, int width, int height,
                     const PALETTEENTRY* palette, bool newFrame, const Damage* damage) {
  if (pixels == NULL || palette == NULL || width <= 0 || height <= 0) return;
  if (newFrame) CaptureFrame(pixels, pitch, width, height, palette, framesPresented++);
  PlatformWindow* window = &platformWindow;
  if (window->presenting && WindowTarget(window) != NULL)
    Send(window, PaintFrame(&window->painter, pixels, pitch, width, height, palette, damage));
  if (!newFrame) return;
  PaceFrame();
  lastFrameAt = SDL_GetPerformanceCounter();
  if (framesPresented == 1) firstFrameAt = lastFrameAt;
  if (frameLimit < 0) {
    const char* limit = getenv("VOQ_FRAMES");
    frameLimit = limit != NULL ? strtol(limit, NULL, 10) : 0;
  }
  // Ends the run as a key press would; again after each later frame, in case
  // the first request found a full queue.
  if (frameLimit > 0 && framesPresented >= (unsigned long)frameLimit &&
      platformWindow.handle != NULL)
    PostMessageA(platformWindow.handle, WM_CLOSE, 0, 0);
}

void ReportFrames(void) {
  if (getenv("VOQ_FRAME_REPORT") == NULL || framesPresented == 0) return;
  // From the first frame's refresh to the last one's: the steady rate.
  Uint64 micros = (lastFrameAt - firstFrameAt) * 1000000 / SDL_GetPerformanceFrequency();
  fprintf(stderr, "voq: %u frames presented in %lu us\n", framesPresented, (unsigned long)micros);
}
