// Presentation: the 8-bit frame through its palette onto the saver window,
// scaled to fit; frame capture and the frame limit for tests.
#include <stdlib.h>

#include "platform_internal.h"
#include "window_internal.h"

#define kDefaultRefreshRate 60

static unsigned framesPresented;
static long frameLimit = -1;
static Uint64 nextFrameDue;

void CreatePresentation(PlatformWindow* window) {
  if (!PlatformHasDisplay()) return;
  window->renderer = SDL_CreateRenderer(window->sdl, -1, SDL_RENDERER_PRESENTVSYNC);
  if (window->renderer == NULL) window->renderer = SDL_CreateRenderer(window->sdl, -1, 0);
  if (window->renderer == NULL) return;
  SDL_DisplayMode mode;
  int refreshRate = SDL_GetWindowDisplayMode(window->sdl, &mode) == 0 && mode.refresh_rate > 0
                        ? mode.refresh_rate
                        : kDefaultRefreshRate;
  window->framePeriod = SDL_GetPerformanceFrequency() / (Uint64)refreshRate;
  // The class's black background until the first frame arrives.
  SDL_SetRenderDrawColor(window->renderer, 0, 0, 0, 255);
  SDL_RenderClear(window->renderer);
  SDL_RenderPresent(window->renderer);
}

void DestroyPresentation(PlatformWindow* window) {
  if (window->texture != NULL) SDL_DestroyTexture(window->texture);
  if (window->renderer != NULL) SDL_DestroyRenderer(window->renderer);
  window->texture = NULL;
  window->renderer = NULL;
}

void ShowLatestFrame(void) {
  SDL_Renderer* renderer = platformWindow.renderer;
  if (renderer == NULL) return;
  int width, height;
  SDL_GetRendererOutputSize(renderer, &width, &height);
  SDL_Rect fit = FitImage(width, height);
  SDL_RenderClear(renderer);
  if (platformWindow.texture != NULL) SDL_RenderCopy(renderer, platformWindow.texture, NULL, &fit);
  SDL_RenderPresent(renderer);
}

static bool UpdateTexture(const BYTE* pixels, LONG pitch, int width, int height,
                          const PALETTEENTRY* palette) {
  PlatformWindow* window = &platformWindow;
  if (window->texture == NULL || window->textureWidth != width || window->textureHeight != height) {
    if (window->texture != NULL) SDL_DestroyTexture(window->texture);
    window->texture = SDL_CreateTexture(window->renderer, SDL_PIXELFORMAT_ARGB8888,
                                        SDL_TEXTUREACCESS_STREAMING, width, height);
    window->textureWidth = width;
    window->textureHeight = height;
    if (window->texture == NULL) return false;
  }
  Uint32 colours[256];
  for (int i = 0; i < 256; i++)
    colours[i] = 0xFF000000u | (Uint32)palette[i].peRed << 16 | (Uint32)palette[i].peGreen << 8 |
                 palette[i].peBlue;
  void* texels;
  int texturePitch;
  if (SDL_LockTexture(window->texture, NULL, &texels, &texturePitch) != 0) return false;
  for (int y = 0; y < height; y++) {
    const BYTE* source = pixels + (ptrdiff_t)y * pitch;
    Uint32* target = (Uint32*)((BYTE*)texels + (ptrdiff_t)y * texturePitch);
    for (int x = 0; x < width; x++) target[x] = colours[source[x]];
  }
  SDL_UnlockTexture(window->texture);
  return true;
}

// Holds a frame back until the display's next refresh is due, for renderers
// whose vsync does not wait (a virtual X server has no vertical blank).
static void PaceFrame(void) {
  Uint64 period = platformWindow.framePeriod;
  if (platformWindow.renderer == NULL || period == 0) return;
  Uint64 now = SDL_GetPerformanceCounter();
  if (nextFrameDue > now) {
    SDL_Delay((Uint32)((nextFrameDue - now) * 1000 / SDL_GetPerformanceFrequency()));
    now = SDL_GetPerformanceCounter();
  }
  nextFrameDue = (nextFrameDue > now ? nextFrameDue : now) + period;
}

void PlatformPresent(const BYTE* pixels, LONG pitch, int width, int height,
                     const PALETTEENTRY* palette, bool newFrame) {
  if (pixels == NULL || palette == NULL || width <= 0 || height <= 0) return;
  if (newFrame) CaptureFrame(pixels, pitch, width, height, palette, framesPresented++);
  if (platformWindow.renderer != NULL && UpdateTexture(pixels, pitch, width, height, palette))
    ShowLatestFrame();
  if (!newFrame) return;
  PaceFrame();
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
