// The runtime's own reading code, called from the tool: the header reader,
// the GIF decoder and the palette loader, as the saver itself runs them.
// This is the only part of the tool that sees the platform headers.
#ifndef VOQ_TOOLS_RUNTIME_READER_H
#define VOQ_TOOLS_RUNTIME_READER_H

#include <cstdint>
#include <string>
#include <vector>

#include "data/saver_header.h"
#include "gif_io.h"

// ReadSaverData on the file at path; false when the runtime refuses it.
bool ReadHeaderAsRuntime(const std::string& path, SaverHeader* header);

struct RuntimeDecode {
  int result = 0;         // DecodeGif's result
  std::string stop;       // why it gave up, when result is 0
  IndexedPicture picture;  // the surface's pixels and the loaded palette
  bool paletteLoaded = false;
  // Pixels the decoder never wrote (told apart by decoding onto two
  // differently filled surfaces).
  int64_t unwrittenPixels = 0;
};

// Decodes slot picture of the file at path with DecodeGif into a memory
// surface of width x height, and loads its palette with LoadGifPalette.
RuntimeDecode DecodeAsRuntime(const std::string& path, int32_t width, int32_t height,
                              int32_t offset, int32_t size);

// The runtime's darkest-entry choice over palette.
int PickDarkestAsRuntime(const Palette& palette);
// The index the runtime clears each frame with: the header's, or the darkest.
int BackgroundAsRuntime(const Palette& palette, const SaverHeader& header);

#endif
