// The decoder and the palette loader against giflib's reading of GIFs made by
// two independent encoders: giflib's EGifPutLine and ImageMagick's convert.
#include <gtest/gtest.h>
#include <gif_lib.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "image/gif_decoder.h"
#include "image/palette.h"
#include "tests/image/gif_test_support.h"

namespace {

const char kConvert[] = "/usr/bin/convert";

// The LZW minimum code size and the descriptor's packed byte, found by
// walking the blocks; for the coverage checks only.
struct Layout {
  int minCodeSize = -1;
  int packed = -1;
  bool extension = false;
};

Layout LayoutOf(const Bytes& gif) {
  Layout layout;
  size_t at = 13;
  if (gif.size() < at) return layout;
  if (gif[10] & 0x80) at += (size_t)3 << ((gif[10] & 7) + 1);
  while (at < gif.size() && gif[at] == 0x21) {
    layout.extension = true;
    at += 2;
    while (at < gif.size() && gif[at] != 0) at += gif[at] + 1u;
    at++;
  }
  if (at + 10 >= gif.size() || gif[at] != 0x2C) return layout;
  layout.packed = gif[at + 9];
  at += 10;
  if (layout.packed & 0x80) at += (size_t)3 << ((layout.packed & 7) + 1);
  if (at < gif.size()) layout.minCodeSize = gif[at];
  return layout;
}

// Decodes gif and loads its palette as the saver would, and compares both
// with giflib.
void ExpectAsGiflib(const Bytes& gif) {
  GiflibImage reference;
  std::string error;
  ASSERT_TRUE(GiflibDecode(gif, &reference, &error)) << error;
  SaverFile file(gif);
  MemorySurface surface(reference.width, reference.height);
  int filesBefore = OpenFileCount();
  ASSERT_EQ(DecodeGif(file.path(), &surface, reference.width, reference.height, file.offset(), file.size()), 1);
  EXPECT_EQ(OpenFileCount(), filesBefore);
  EXPECT_EQ(surface.lockCalls, 1);
  EXPECT_EQ(surface.unlockCalls, 1);
  EXPECT_EQ(surface.Damage(), "");
  EXPECT_EQ(FirstDifference(surface, reference.pixels, reference.width, reference.width, reference.height), "");

  PALETTEENTRY entries[256] = {};
  ASSERT_EQ(LoadGifPalette(file.path(), entries, file.offset()), 0);
  for (int i = 0; i < 256; i++) {
    size_t at = (size_t)i * 3;
    std::vector<int> want = {0, 0, 0};
    if (at < reference.colors.size())
      want = {reference.colors[at], reference.colors[at + 1], reference.colors[at + 2]};
    ASSERT_EQ(std::vector<int>({entries[i].peRed, entries[i].peGreen, entries[i].peBlue}), want)
        << "palette entry " << i;
    ASSERT_EQ(entries[i].peFlags, 0) << "palette entry " << i;
  }
}

const int kSides[] = {1, 3, 20, 257, 300};
const Content kContents[] = {Content::kRandom, Content::kFlat, Content::kPicture};

}  // namespace

TEST(GifConformance, GiflibEncoderCorpus) {
  std::set<int> codeSizes;
  int cases = 0;
  for (int bits = 1; bits <= 8; bits++) {
    for (int width : kSides) {
      for (int height : kSides) {
        if (width == 257 || height == 300) continue;  // 1, 3, 20, 300 wide; 1, 3, 20, 257 high
        for (bool interlace : {false, true}) {
          for (Content content : kContents) {
            std::ostringstream name;
            name << "giflib " << width << "x" << height << ", " << (1 << bits) << " colours, "
                 << (interlace ? "interlaced, " : "") << ContentName(content);
            SCOPED_TRACE(name.str());
            Bytes pixels = MakePixels(content, width, height, 1 << bits, (uint32_t)(bits * 1000 + width + height));
            Bytes gif = GiflibEncode(pixels, width, height, bits, interlace);
            Layout layout = LayoutOf(gif);
            codeSizes.insert(layout.minCodeSize);
            ASSERT_EQ(layout.packed & 0x40, interlace ? 0x40 : 0);
            ExpectAsGiflib(gif);
            if (HasFatalFailure()) return;
            cases++;
          }
        }
      }
    }
  }
  EXPECT_EQ(codeSizes, std::set<int>({2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(cases, 8 * 16 * 2 * 3);
}

TEST(GifConformance, GiflibEncoderWithExtensionsAndLocalTables) {
  // GIF89a as real files have it: extensions before the image, some holding
  // 0x2C bytes; local colour tables with and without a global one.
  struct Variant {
    const char* name;
    bool globalTable;
    bool localTable;
    bool interlace;
  } variants[] = {
      {"global table, extensions", true, false, false},
      {"local table only", false, true, true},
      {"both tables", true, true, false},
  };
  for (const Variant& v : variants) {
    for (int bits : {1, 4, 8}) {
      SCOPED_TRACE(std::string(v.name) + ", " + std::to_string(1 << bits) + " colours");
      int width = 61, height = 43;
      Bytes pixels = MakePixels(Content::kPicture, width, height, 1 << bits, (uint32_t)bits);
      Bytes out;
      int code = 0;
      GifFileType* gif = EGifOpen(&out, [](GifFileType* g, const GifByteType* from, int n) {
        Bytes* to = (Bytes*)g->UserData;
        to->insert(to->end(), from, from + n);
        return n;
      }, &code);
      ASSERT_NE(gif, nullptr);
      std::vector<GifColorType> global((size_t)1 << bits), local((size_t)1 << bits);
      for (size_t i = 0; i < global.size(); i++) {
        global[i] = {(uint8_t)(i * 5), (uint8_t)(i * 11), (uint8_t)(255 - i)};
        local[i] = {(uint8_t)(255 - i * 3), (uint8_t)(i * 7), (uint8_t)(i * 2 + 9)};
      }
      ColorMapObject* globalMap = GifMakeMapObject((int)global.size(), global.data());
      ColorMapObject* localMap = GifMakeMapObject((int)local.size(), local.data());
      EGifSetGifVersion(gif, true);
      ASSERT_EQ(EGifPutScreenDesc(gif, width, height, 8, 0, v.globalTable ? globalMap : NULL), GIF_OK);
      const char comment[] = "made, with, commas,,,";
      ASSERT_EQ(EGifPutComment(gif, comment), GIF_OK);
      unsigned char control[4] = {0x2C, 0x2C, 0x00, 0x2C};
      ASSERT_EQ(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control), GIF_OK);
      ASSERT_EQ(EGifPutImageDesc(gif, 0, 0, width, height, v.interlace, v.localTable ? localMap : NULL), GIF_OK);
      Bytes rows = v.interlace ? InterlaceRows(pixels, width, height) : pixels;
      for (int y = 0; y < height; y++) ASSERT_EQ(EGifPutLine(gif, rows.data() + (size_t)y * width, width), GIF_OK);
      ASSERT_EQ(EGifCloseFile(gif, &code), GIF_OK);
      GifFreeMapObject(globalMap);
      GifFreeMapObject(localMap);
      ASSERT_TRUE(LayoutOf(out).extension);

      ExpectAsGiflib(out);
    }
  }
}

TEST(GifConformance, ImageMagickCorpus) {
  ASSERT_EQ(access(kConvert, X_OK), 0) << kConvert << " is needed (Debian package imagemagick)";
  TemporaryDirectory temporary("voq-magick");
  const std::string& folder = temporary.path();

  struct Job {
    int width, height, bits;
    bool interlace;
    Content content;
    bool comment;
    std::string ppm, gif;
  };
  std::vector<Job> jobs;
  const int sizes[][2] = {{300, 257}, {257, 300}, {20, 3}, {1, 20}, {3, 1}, {1, 1}};
  for (int bits = 2; bits <= 8; bits++) {
    for (size_t s = 0; s < sizeof sizes / sizeof sizes[0]; s++) {
      Job job;
      job.width = sizes[s][0];
      job.height = sizes[s][1];
      job.bits = bits;
      job.interlace = (bits + s) % 2 == 0;
      job.content = s < 2 ? (bits % 2 ? Content::kRandom : Content::kPicture) : kContents[(bits + s) % 3];
      if (s == 0) job.content = Content::kRandom;  // fills the table many times over
      job.comment = s == 1;
      job.ppm = folder + "/in" + std::to_string(jobs.size()) + ".ppm";
      job.gif = folder + "/out" + std::to_string(jobs.size()) + ".gif";
      jobs.push_back(job);
    }
  }

  // The pictures as PPM with 2^bits distinct colours, all in one convert run.
  std::string command = kConvert;
  for (size_t i = 0; i < jobs.size(); i++) {
    Job& job = jobs[i];
    int colors = 1 << job.bits;
    Bytes pixels = MakePixels(job.content, job.width, job.height, colors, (uint32_t)(i + 7));
    if (job.content == Content::kRandom && job.width * job.height >= colors) {
      for (int c = 0; c < colors; c++) pixels[(size_t)c] = (uint8_t)c;  // every colour present
    }
    std::ofstream ppm(job.ppm, std::ios::binary);
    ppm << "P6\n" << job.width << " " << job.height << "\n255\n";
    for (uint8_t index : pixels) {
      char rgb[3] = {(char)(index * 37 + 11), (char)(index * 101 + 3), (char)(index ^ 0x5A)};
      ppm.write(rgb, 3);
    }
    ppm.close();
    // No more colours than the picture has, so nothing is dithered (dithering is slow, too).
    command += " " + job.ppm + " -dither None -colors " + std::to_string(colors);
    command += job.interlace ? " -interlace GIF" : " -interlace none";
    command += job.comment ? " -set comment 'a,b,,c'" : " +set comment";
    command += i + 1 < jobs.size() ? " -write " + job.gif + " +delete" : " " + job.gif;
  }
  command += " 2>&1";
  FILE* run = popen(command.c_str(), "r");
  ASSERT_NE(run, nullptr);
  std::string output;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, run) != NULL) output += buffer;
  ASSERT_EQ(pclose(run), 0) << output;

  std::set<int> codeSizes;
  int interlaced = 0, commented = 0;
  for (const Job& job : jobs) {
    std::ostringstream label;
    label << "convert " << job.width << "x" << job.height << ", " << (1 << job.bits) << " colours, "
          << (job.interlace ? "interlaced, " : "") << ContentName(job.content) << " (" << job.gif << ")";
    SCOPED_TRACE(label.str());
    std::ifstream in(job.gif, std::ios::binary);
    Bytes gif((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(gif.size(), 13u);
    Layout layout = LayoutOf(gif);
    codeSizes.insert(layout.minCodeSize);
    if (layout.packed & 0x40) interlaced++;
    if (job.comment && layout.extension) commented++;
    ExpectAsGiflib(gif);
  }
  for (int size = 2; size <= 8; size++) EXPECT_EQ(codeSizes.count(size), 1u) << "minimum code size " << size;
  EXPECT_GT(interlaced, 5);
  EXPECT_GT(commented, 5);
}
