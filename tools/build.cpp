// voq-make build: a saver from a picture and a runtime.
#include <climits>
#include <cstdio>

#include "commands.h"
#include "gif_io.h"
#include "options.h"
#include "picture.h"
#include "quantise.h"
#include "runtime_reader.h"
#include "saver_block.h"
#include "saver_check.h"
#include "tool_error.h"

namespace {

// Copies are drawn at up to 2/3 of the picture and only when wholly on the
// 640 x 480 screen: beyond 960 x 720 none ever shows, and big ones seldom do.
constexpr int kLargestWidth = 960;
constexpr int kLargestHeight = 720;
constexpr int kDefaultMaxWidth = 320;
constexpr int kDefaultMaxHeight = 240;

struct BuildSettings {
  std::string output;
  Target target = Target::kLinux;
  std::string runtimePath;
  ShowSettings show;
  std::string key;                 // "auto", "none" or an index
  bool backgroundColour = false;   // --background #RRGGBB
  Rgb background;
  int maxWidth = kDefaultMaxWidth;
  int maxHeight = kDefaultMaxHeight;
  bool dither = false;
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseColour(const std::string& text, Rgb* colour) {
  if (text.size() != 7 || text[0] != '#') return false;
  int value[6];
  for (int i = 0; i < 6; i++)
    if ((value[i] = HexDigit(text[i + 1])) < 0) return false;
  *colour = {(uint8_t)(value[0] * 16 + value[1]), (uint8_t)(value[2] * 16 + value[3]),
             (uint8_t)(value[4] * 16 + value[5])};
  return true;
}

std::string ColourText(const Rgb& colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
  return text;
}

BuildSettings ReadSettings(const Options& options, bool asIs) {
  BuildSettings settings;
  if (!options.Has("--output") || options.Value("--output").empty())
    throw UsageError("build needs --output SAVER (see voq-make build --help)");
  settings.output = options.Value("--output");
  if (options.Has("--target")) settings.target = ParseTarget(options.Value("--target"));
  settings.runtimePath = options.Value("--runtime");
  if (options.Has("--runtime") && settings.runtimePath.empty()) throw UsageError("--runtime needs a file name");
  if (options.Has("--objects"))
    settings.show.objectCount = ParseNumber(options.Value("--objects"), "--objects", kMinObjects, kMaxObjects);

  settings.key = options.Value("--key", asIs ? "none" : "auto");
  if (settings.key != "none" && settings.key != "auto") ParseNumber(settings.key, "--key", 0, 255);

  std::string background = options.Value("--background", "darkest");
  if (background.size() > 0 && background[0] == '#') {
    if (!ParseColour(background, &settings.background))
      throw UsageError("--background " + background + ": give a colour as #RRGGBB, for example #181818");
    settings.backgroundColour = true;
    settings.show.useBackground = true;
  } else if (background != "darkest") {
    settings.show.useBackground = true;
    settings.show.backgroundIndex = ParseNumber(background, "--background", 0, 255);
  }

  if (asIs) {
    for (const char* option : {"--max-size", "--dither", "--no-dither"})
      if (options.Has(option))
        throw UsageError(std::string(option) + " applies to a picture to convert, not to --picture GIF");
  }
  if (options.Has("--max-size"))
    ParseSize(options.Value("--max-size"), "--max-size", 1, kLargestWidth, kLargestHeight, &settings.maxWidth,
              &settings.maxHeight);
  settings.dither = options.LastOf({"--dither", "--no-dither"}) == "--dither";
  return settings;
}

// The GIF as given, refused unless the runtime reads it as giflib does.
Bytes TakeGifAsItIs(const std::string& path, BuildSettings* settings, IndexedPicture* picture) {
  Bytes gif = ReadWholeFile(path, "picture");
  if (gif.empty()) throw ToolError("picture " + path + " is empty");
  GifLayout layout = ReadGifLayout(gif);
  std::vector<std::string> problems = RuntimeReadingProblems(layout);
  if (!problems.empty()) {
    if (layout.version.empty())
      throw ToolError("picture " + path + " is not a GIF (voq-make build PICTURE converts other pictures)");
    throw ToolError("picture " + path + " " + problems.front() + " (voq-make build PICTURE converts it)");
  }
  if ((int64_t)layout.width * layout.height > kLargestPicturePixels)
    throw ToolError("picture " + path + " is " + std::to_string(layout.width) + " x " + std::to_string(layout.height) +
                    ", more than the 100 million pixels read");
  if (layout.width > kLargestWidth || layout.height > kLargestHeight)
    std::printf("voq-make: note: no copy of a picture larger than %d x %d can ever show on the 640 x 480 screen\n",
                kLargestWidth, kLargestHeight);
  try {
    *picture = DecodeFirstImage(gif);
  } catch (const ToolError& error) {
    throw ToolError("picture " + path + ": " + error.what());
  }
  if (gif.size() > (size_t)INT32_MAX - kGifFileOffset) throw ToolError("picture " + path + " is too large for a saver");
  if (settings->key == "auto")
    settings->show.colorKey = layout.transparentIndex >= 0 ? layout.transparentIndex : kNoColorKey;
  else if (settings->key != "none")
    settings->show.colorKey = ParseNumber(settings->key, "--key", 0, 255);
  return gif;
}

// Reads the picture, scales it to fit and quantises it into a runtime GIF.
Bytes ConvertPicture(const std::string& path, BuildSettings* settings, IndexedPicture* picture) {
  RgbaImage image = LoadPicture(path);
  int width = image.width, height = image.height;
  FitWithin(image.width, image.height, settings->maxWidth, settings->maxHeight, &width, &height);
  if (width != image.width || height != image.height) {
    std::printf("voq-make: scaled %s from %d x %d to %d x %d: copies are drawn at up to 2/3 of the picture and "
                "only when wholly on the 640 x 480 screen (--max-size sets the limit, %d x %d by default)\n",
                path.c_str(), image.width, image.height, width, height, kDefaultMaxWidth, kDefaultMaxHeight);
    image = ScaleDown(image, width, height);
  }

  QuantiseSettings quantise;
  quantise.dither = settings->dither;
  quantise.key = settings->key == "auto" ? KeyMode::kAuto : settings->key == "none" ? KeyMode::kNone : KeyMode::kIndex;
  if (quantise.key == KeyMode::kIndex) quantise.keyIndex = ParseNumber(settings->key, "--key", 0, 255);
  if (settings->backgroundColour) quantise.matte = settings->background;
  QuantisedPicture quantised;
  try {
    quantised = Quantise(image, quantise);
  } catch (const ToolError& error) {
    throw ToolError("picture " + path + ": " + error.what());
  }
  settings->show.colorKey = quantised.transparentIndex >= 0 ? quantised.transparentIndex : kNoColorKey;
  *picture = quantised.picture;
  return EncodeRuntimeGif(quantised.picture);
}

}  // namespace

int RunBuild(const Arguments& arguments) {
  Options options("build", arguments,
                  {"--output", "--runtime", "--picture", "--target", "--objects", "--key", "--background",
                   "--max-size"},
                  {"--dither", "--no-dither"});
  if (options.Has("--help")) {
    std::fputs(kBuildHelp, stdout);
    return 0;
  }
  bool asIs = options.Has("--picture");
  if (asIs) {
    options.ExpectPositional(0, 0, "");
    if (options.Value("--picture").empty()) throw UsageError("--picture needs a file name");
  } else {
    options.ExpectPositional(1, 1, "a PICTURE (or --picture GIF)");
  }
  BuildSettings settings = ReadSettings(options, asIs);
  std::string path = asIs ? options.Value("--picture") : options.Positional()[0];

  CheckOutputPath(settings.output);
  std::string runtimeUsed;
  Bytes runtime = LoadRuntime(settings.target, settings.runtimePath, &runtimeUsed);
  IndexedPicture picture;
  Bytes gif = asIs ? TakeGifAsItIs(path, &settings, &picture) : ConvertPicture(path, &settings, &picture);

  std::string backgroundNote;
  if (settings.backgroundColour) {
    int exclude = settings.show.colorKey == kNoColorKey ? -1 : settings.show.colorKey;
    settings.show.backgroundIndex = NearestUsedEntry(picture, exclude, settings.background);
    const Rgb& chosen = picture.palette[settings.show.backgroundIndex];
    if (chosen != settings.background)
      backgroundNote = " (the nearest to " + ColourText(settings.background) + " is " + ColourText(chosen) + ")";
  }

  SaverHeader header = MakeHeader(picture.width, picture.height, (int32_t)gif.size(), settings.show);
  Bytes saver = JoinSaver(runtime, MakeBlock(header, gif));
  AtomicFile file(settings.output, saver, true);
  VerifySaver(file.TemporaryPath(), header, picture);
  file.Commit();

  std::string key = settings.show.colorKey == kNoColorKey ? "none" : std::to_string(settings.show.colorKey);
  std::string background =
      settings.show.useBackground ? std::to_string(settings.show.backgroundIndex) + backgroundNote : "darkest";
  std::string runtimeText = settings.runtimePath.empty() ? std::string(TargetName(settings.target)) + " runtime"
                                                         : std::string("runtime");
  std::printf("voq-make: wrote %s (%zu bytes): %d x %d picture, key %s, background %s, %d objects, %s %s\n",
              settings.output.c_str(), saver.size(), picture.width, picture.height, key.c_str(), background.c_str(),
              settings.show.objectCount, runtimeText.c_str(), runtimeUsed.c_str());
  return 0;
}
