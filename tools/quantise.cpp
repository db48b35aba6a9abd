#include "quantise.h"

#include <libimagequant.h>

#include <algorithm>
#include <unordered_map>

#include "tool_error.h"

namespace {

uint32_t Pack(const uint8_t* rgb) { return (uint32_t)rgb[0] << 16 | (uint32_t)rgb[1] << 8 | rgb[2]; }

int64_t Distance(const Rgb& a, const Rgb& b) {
  int dr = a.red - b.red, dg = a.green - b.green, db = a.blue - b.blue;
  return (int64_t)dr * dr + (int64_t)dg * dg + (int64_t)db * db;
}

// The RGBA to quantise: alpha made all-or-nothing, or, without a key,
// every pixel laid onto the matte.
std::vector<uint8_t> Prepare(const RgbaImage& image, const QuantiseSettings& settings, bool* anyTransparent) {
  std::vector<uint8_t> rgba = image.rgba;
  *anyTransparent = false;
  for (size_t i = 0; i < rgba.size(); i += 4) {
    uint8_t* p = &rgba[i];
    if (settings.key == KeyMode::kNone) {
      int alpha = p[3];
      p[0] = (uint8_t)((p[0] * alpha + settings.matte.red * (255 - alpha) + 127) / 255);
      p[1] = (uint8_t)((p[1] * alpha + settings.matte.green * (255 - alpha) + 127) / 255);
      p[2] = (uint8_t)((p[2] * alpha + settings.matte.blue * (255 - alpha) + 127) / 255);
      p[3] = 255;
    } else if (p[3] < kOpaqueFrom) {
      p[0] = p[1] = p[2] = p[3] = 0;
      *anyTransparent = true;
    } else {
      p[3] = 255;
    }
  }
  return rgba;
}

// Few enough colours: each keeps its own entry, in order of first use.
bool QuantiseExactly(const std::vector<uint8_t>& rgba, bool transparent, QuantisedPicture* out) {
  std::unordered_map<uint32_t, int> entries;
  IndexedPicture& picture = out->picture;
  int next = 0;
  if (transparent) out->transparentIndex = next++;
  picture.indices.resize(rgba.size() / 4);
  for (size_t i = 0; i < picture.indices.size(); i++) {
    const uint8_t* p = &rgba[i * 4];
    if (p[3] == 0) {
      picture.indices[i] = (uint8_t)out->transparentIndex;
      continue;
    }
    auto [at, added] = entries.emplace(Pack(p), next);
    if (added) {
      if (next == 256) return false;
      picture.palette[next++] = {p[0], p[1], p[2]};
    }
    picture.indices[i] = (uint8_t)at->second;
  }
  out->coloursUsed = next;
  out->exact = true;
  return true;
}

void QuantiseWithLibimagequant(const std::vector<uint8_t>& rgba, int width, int height, bool transparent,
                               bool dither, QuantisedPicture* out) {
  liq_attr* attr = liq_attr_create();
  if (attr == nullptr) throw ToolError("libimagequant could not start");
  liq_image* image = liq_image_create_rgba(attr, rgba.data(), width, height, 0);
  liq_result* result = nullptr;
  liq_error error = image == nullptr ? LIQ_OUT_OF_MEMORY : liq_set_max_colors(attr, 256);
  if (error == LIQ_OK) error = liq_image_quantize(image, attr, &result);
  if (error == LIQ_OK) error = liq_set_dithering_level(result, dither ? 1.0f : 0.0f);
  IndexedPicture& picture = out->picture;
  picture.indices.resize((size_t)width * height);
  if (error == LIQ_OK) error = liq_write_remapped_image(result, image, picture.indices.data(), picture.indices.size());
  std::vector<liq_color> colours;
  if (error == LIQ_OK) {
    const liq_palette* palette = liq_get_palette(result);
    colours.assign(palette->entries, palette->entries + palette->count);
  }
  if (result != nullptr) liq_result_destroy(result);
  if (image != nullptr) liq_image_destroy(image);
  liq_attr_destroy(attr);
  if (error != LIQ_OK) throw ToolError("libimagequant failed (error " + std::to_string((int)error) + ")");

  int count = (int)colours.size();
  for (int i = 0; i < count; i++) picture.palette[i] = {colours[i].r, colours[i].g, colours[i].b};
  if (!transparent) {
    out->coloursUsed = count;
    return;
  }
  // One entry for the transparent pixels; opaque pixels never map to it.
  for (int i = 0; i < count && out->transparentIndex < 0; i++)
    if (colours[i].a < kOpaqueFrom) out->transparentIndex = i;
  if (out->transparentIndex < 0) {
    if (count == 256) throw ToolError("libimagequant left no entry for the transparent colour");
    out->transparentIndex = count++;
  }
  std::vector<int> opaqueFor(256, -1);
  for (size_t i = 0; i < picture.indices.size(); i++) {
    uint8_t& index = picture.indices[i];
    if (rgba[i * 4 + 3] == 0) {
      index = (uint8_t)out->transparentIndex;
    } else if (colours.size() > index && colours[index].a < kOpaqueFrom) {
      if (opaqueFor[index] < 0) {
        Rgb want = {rgba[i * 4], rgba[i * 4 + 1], rgba[i * 4 + 2]};
        int best = -1;
        for (int j = 0; j < (int)colours.size(); j++)
          if (colours[j].a >= kOpaqueFrom && (best < 0 || Distance(picture.palette[j], want) < Distance(picture.palette[best], want)))
            best = j;
        opaqueFor[index] = best;
      }
      index = (uint8_t)opaqueFor[index];
    }
  }
  out->coloursUsed = count;
}

void SwapEntries(QuantisedPicture* out, int a, int b) {
  if (a == b) return;
  std::swap(out->picture.palette[a], out->picture.palette[b]);
  for (uint8_t& index : out->picture.indices) {
    if (index == a)
      index = (uint8_t)b;
    else if (index == b)
      index = (uint8_t)a;
  }
}

}  // namespace

QuantisedPicture Quantise(const RgbaImage& image, const QuantiseSettings& settings) {
  bool transparent = false;
  std::vector<uint8_t> rgba = Prepare(image, settings, &transparent);
  if (settings.key == KeyMode::kIndex && !transparent)
    throw ToolError("--key " + std::to_string(settings.keyIndex) + ": the picture has no transparent pixels");
  bool anyOpaque = false;
  for (size_t i = 3; i < rgba.size() && !anyOpaque; i += 4) anyOpaque = rgba[i] != 0;
  if (!anyOpaque) throw ToolError("the picture is transparent all over");

  QuantisedPicture out;
  out.picture.width = image.width;
  out.picture.height = image.height;
  if (!QuantiseExactly(rgba, transparent, &out)) {
    out = QuantisedPicture();
    out.picture.width = image.width;
    out.picture.height = image.height;
    QuantiseWithLibimagequant(rgba, image.width, image.height, transparent, settings.dither, &out);
  }

  // Entries no pixel uses, and the key's (never shown), are black: with room
  // in the palette the darkest-entry background is black, apart from every
  // colour of a picture with few colours.
  std::vector<bool> used(256, false);
  for (uint8_t index : out.picture.indices) used[index] = true;
  for (int i = 0; i < 256; i++)
    if (!used[i] || i == out.transparentIndex) out.picture.palette[i] = Rgb();

  if (settings.key == KeyMode::kIndex) {
    SwapEntries(&out, out.transparentIndex, settings.keyIndex);
    out.transparentIndex = settings.keyIndex;
  }
  return out;
}

int NearestUsedEntry(const IndexedPicture& picture, int exclude, Rgb colour) {
  std::vector<bool> used(256, false);
  for (uint8_t index : picture.indices) used[index] = true;
  int best = -1;
  for (int i = 0; i < 256; i++) {
    if (!used[i] || i == exclude) continue;
    if (best < 0 || Distance(picture.palette[i], colour) < Distance(picture.palette[best], colour)) best = i;
  }
  return best;
}
