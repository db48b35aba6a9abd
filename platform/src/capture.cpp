// Frame capture for tests: VOQ_CAPTURE_DIR=DIR writes every new frame as
// DIR/frame-NNNNN.bmp, an 8-bit indexed BMP with the frame's palette.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "window_internal.h"

#define kBmpFileHeaderSize 14
#define kBmpInfoHeaderSize 40
#define kBmpPaletteSize (256 * 4)
#define kBmpPixelsOffset (kBmpFileHeaderSize + kBmpInfoHeaderSize + kBmpPaletteSize)
// 72 dots per inch, in dots per metre.
#define kBmpResolution 2835

static bool captureRead;
static char* capturePath;
static size_t captureDirectoryLength;
static BYTE* captureImage;
static size_t captureImageSize;
static bool captureFailureReported;

static void Put16(BYTE* at, unsigned value) {
  at[0] = (BYTE)value;
  at[1] = (BYTE)(value >> 8);
}

static void Put32(BYTE* at, uint32_t value) {
  Put16(at, value & 0xFFFF);
  Put16(at + 2, value >> 16);
}

// The whole file in one buffer, kept for later frames of the same size.
static BYTE* BuildBmp(const BYTE* pixels, LONG pitch, int width, int height,
                      const PALETTEENTRY* palette, size_t* size) {
  size_t stride = ((size_t)width + 3) & ~(size_t)3;
  *size = kBmpPixelsOffset + stride * (size_t)height;
  if (*size > captureImageSize) {
    free(captureImage);
    captureImage = (BYTE*)calloc(*size, 1);
    captureImageSize = captureImage != NULL ? *size : 0;
    if (captureImage == NULL) return NULL;
  }
  BYTE* file = captureImage;
  memset(file, 0, kBmpPixelsOffset);
  file[0] = 'B';
  file[1] = 'M';
  Put32(file + 2, (uint32_t)*size);
  Put32(file + 10, kBmpPixelsOffset);
  BYTE* info = file + kBmpFileHeaderSize;
  Put32(info, kBmpInfoHeaderSize);
  Put32(info + 4, (uint32_t)width);
  Put32(info + 8, (uint32_t)height);  // positive: rows stored bottom-up
  Put16(info + 12, 1);
  Put16(info + 14, 8);
  Put32(info + 20, (uint32_t)(stride * (size_t)height));
  Put32(info + 24, kBmpResolution);
  Put32(info + 28, kBmpResolution);
  Put32(info + 32, 256);
  BYTE* quads = info + kBmpInfoHeaderSize;
  for (int i = 0; i < 256; i++) {
    quads[i * 4] = palette[i].peBlue;
    quads[i * 4 + 1] = palette[i].peGreen;
    quads[i * 4 + 2] = palette[i].peRed;
  }
  for (int y = 0; y < height; y++) {
    BYTE* row = file + kBmpPixelsOffset + stride * (size_t)(height - 1 - y);
    memcpy(row, pixels + (ptrdiff_t)y * pitch, (size_t)width);
  }
  return file;
}

static bool WriteAll(int fd, const BYTE* data, size_t size) {
  while (size > 0) {
    ssize_t written = write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= (size_t)written;
  }
  return true;
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
  size_t size;
  const BYTE* file = BuildBmp(pixels, pitch, width, height, palette, &size);
  int fd = file != NULL ? open(capturePath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644) : -1;
  bool written = fd >= 0 && WriteAll(fd, file, size);
  if (fd >= 0 && close(fd) != 0) written = false;
  if (!written && !captureFailureReported) {
    captureFailureReported = true;
    fprintf(stderr, "voq: cannot write %s\n", capturePath);
  }
}

void EndFrameCapture(void) {
  free(captureImage);
  free(capturePath);
  captureImage = NULL;
  capturePath = NULL;
  captureImageSize = 0;
  captureRead = false;
}
