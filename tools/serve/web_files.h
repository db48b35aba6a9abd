// The maker's page, embedded at build time from tools/serve/web.
#ifndef VOQ_TOOLS_SERVE_WEB_FILES_H
#define VOQ_TOOLS_SERVE_WEB_FILES_H

#include <cstddef>

struct WebFile {
  const char* path;  // "/index.html"
  const unsigned char* bytes;
  size_t size;
};

// Ends with an entry whose path is null.
extern const WebFile kWebFiles[];

#endif
