// From RGBA to at most 256 palette colours, one of them the transparent
// colour when the picture has transparent pixels and a key is wanted.
#ifndef VOQ_TOOLS_QUANTISE_H
#define VOQ_TOOLS_QUANTISE_H

#include "gif_io.h"
#include "picture.h"

enum class KeyMode {
  kAuto,   // transparent pixels, if any, share one index: the key
  kNone,   // no key: transparent pixels are laid onto the matte colour
  kIndex,  // like kAuto, with the transparent colour at a chosen index
};

struct QuantiseSettings {
  bool dither = false;
  KeyMode key = KeyMode::kAuto;
  int keyIndex = 0;      // for KeyMode::kIndex
  Rgb matte = {0, 0, 0};  // what shows through transparency without a key
};

struct QuantisedPicture {
  IndexedPicture picture;
  int transparentIndex = -1;  // the key, or -1
  int coloursUsed = 0;        // palette entries the pixels use, the key included
  bool exact = false;         // every colour kept as it was (no more than fit)
};

// Pixels with alpha below this are transparent; the others opaque as they are.
constexpr int kOpaqueFrom = 128;

// Throws ToolError when the picture cannot become a keyed palette picture
// (fully transparent; a key index asked for without transparent pixels).
QuantisedPicture Quantise(const RgbaImage& image, const QuantiseSettings& settings);

// The palette entry, among those the pixels use other than exclude, that is
// nearest to colour (smallest squared distance; the lowest index of equals).
int NearestUsedEntry(const IndexedPicture& picture, int exclude, Rgb colour);

#endif
