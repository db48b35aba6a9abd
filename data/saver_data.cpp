#include "data/saver_data.h"

#include <windows.h>

#include <stdio.h>

SaverHeader saverHeader;
char* dataPath;

int ReadSaverData(const char* path) {
  FILE* file = fopen(path, "rb");
  if (file == NULL) {
    MessageBoxA(NULL, "error opening file", "", MB_OK);
    return 0;
  }
  uint8_t bytes[kSaverHeaderSize];
  size_t got = 0;
  if (fseek(file, kDataBlockOffset, SEEK_SET) == 0) got = fread(bytes, 1, sizeof bytes, file);
  fclose(file);
  // A file that ends inside the header is as corrupt as a wrong magic.
  if (got != sizeof bytes) return 0;
  return ParseSaverHeader(bytes, &saverHeader);
}
