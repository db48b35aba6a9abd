// stb_image_write's code, for the tests that make pictures to feed the tool.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
