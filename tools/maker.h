// Savers and previews made from bytes in memory: what voq-make build and
// voq-make preview do with files, and what voq-make serve does per upload.
#ifndef VOQ_TOOLS_MAKER_H
#define VOQ_TOOLS_MAKER_H

#include <string>

#include "files.h"
#include "gif_io.h"
#include "picture.h"
#include "saver_block.h"

constexpr int kDefaultMaxWidth = 320;
constexpr int kDefaultMaxHeight = 240;
constexpr int kDefaultPreviewSeconds = 5;

// The show's choices of voq-make build, as its --objects, --key and
// --background options give them.
struct SaverSettings {
  ShowSettings show;
  std::string key = "auto";      // "auto", "none", an index or #RRGGBB
  bool keyColour = false;        // --key #RRGGBB: the used entry nearest to it
  Rgb keyNear;
  bool backgroundColour = false; // --background #RRGGBB
  Rgb background;
  int maxWidth = kDefaultMaxWidth;
  int maxHeight = kDefaultMaxHeight;
  bool dither = false;
};

// Reads the texts of --objects (skipped when null), --key and --background;
// throws UsageError naming the option.
void ReadShowChoices(const std::string* objects, const std::string& key, const std::string& background,
                     SaverSettings* settings);

// "#rrggbb".
std::string ColourText(const Rgb& colour);

// The picture scaled to fit and quantised into a runtime GIF, its key set in
// settings->show; name appears in messages only. *scaledNote tells of scaling.
Bytes ConvertImage(RgbaImage image, const std::string& name, SaverSettings* settings, IndexedPicture* picture,
                   std::string* scaledNote);

// The header for picture and its GIF, with a --background colour resolved to
// its nearest entry (*backgroundNote says which when it differs).
SaverHeader HeaderFor(const IndexedPicture& picture, size_t gifSize, SaverSettings* settings,
                    std::string* backgroundNote);

// A whole saver from the bytes of a picture file (PNG, JPEG, GIF, BMP, TGA)
// and a runtime, read back with the runtime's reader and decoder; pictures
// over largestPixels are refused before they are decoded.
Bytes MakeSaver(const Bytes& pictureFile, const std::string& name, SaverSettings settings, const Bytes& runtime,
                int64_t largestPixels);

// The show of block on the Linux runtime, recorded headless for seconds of
// 60 Hz frames, as a looping GIF at 30 frames a second. *summary tells of
// the frames.
Bytes RecordPreview(const Bytes& block, const Bytes& linuxRuntime, int seconds, std::string* summary);

#endif
