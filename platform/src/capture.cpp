// Frame capture for tests: VOQ_CAPTURE_DIR=DIR writes every new frame as
// DIR/frame-NNNNN.bmp, an 8-bit indexed BMP with the frame's palette.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "window_internal.h"

static bool captureRead;
static char* capturePath;
static size_t captureDirectoryLength;
static bool captureFailureReported;

// SDL's own BMP writer, over an 8-bit surface that borrows the frame's pixels.
static bool SaveBmp(const BYTE* pixels, LONG pitch, int width, int height, const PALETTEENTRY* palette,
                    const char* path) {
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom((void*)pixels, width, height, 8, (int)pitch,
                                                            SDL_PIXELFORMAT_INDEX8);
  if (surface == NULL) return false;
  SDL_Color colors[256];
  for (int i = 0; i < 256; i++) colors[i] = {palette[i].peRed, palette[i].peGreen, palette[i].peBlue, 0};
  bool saved = SDL_SetPaletteColors(surface->format->palette, colors, 0, 256) == 0 &&
               SDL_SaveBMP(surface, path) == 0;
  SDL_FreeSurface(surface);
  return saved;
}

void CaptureFrame(const BYTE* pixels, LONG pitch, int width, int height,
                  const PALETTEENTRY* palette, unsigned number) {
  if (!captureRead) {
    captureRead = true;
    const char* directory = getenv("VOQ_CAPTURE_DIR");
    if (directory != NULL && directory[0] != 0) {
      captureDirectoryLength = strlen(directory);
      capturePath = (char*)malloc(captureDirectoryLength + sizeof "/frame-4294967295.bmp");
      if (capturePath != NULL) memcpy(capturePath, directory, captureDirectoryLength);
    }
  }
  if (capturePath == NULL) return;
  sprintf(capturePath + captureDirectoryLength, "/frame-%05u.bmp", number);
  if (!SaveBmp(pixels, pitch, width, height, palette, capturePath) && !captureFailureReported) {
    captureFailureReported = true;
    fprintf(stderr, "voq: cannot write %s\n", capturePath);
  }
}

void EndFrameCapture(void) {
  free(capturePath);
  capturePath = NULL;
  captureRead = false;
}
