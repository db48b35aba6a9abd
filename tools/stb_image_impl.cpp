// The one translation unit that holds stb_image's code, limited to the
// formats the tool reads with it (JPEG goes to libjpeg: picture.cpp).
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_GIF
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 65535
#include <stb/stb_image.h>
