#include "maker.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "bmp.h"
#include "options.h"
#include "quantise.h"
#include "saver_check.h"
#include "tool_error.h"

namespace {

// The show moves one step per frame, at the display's refresh; at 60 Hz,
// every second frame shown every 1/30 s plays at its real speed.
constexpr int kShownFramesPerSecond = 60;
constexpr int kKeepEvery = 2;

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

std::string FramePath(const std::string& folder, int number) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%05d.bmp", number);
  return folder + name;
}

std::string FirstLine(const std::string& text) {
  size_t end = text.find('\n');
  return end == std::string::npos ? text : text.substr(0, end);
}

}  // namespace

std::string ColourText(const Rgb& colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.red, colour.green, colour.blue);
  return text;
}

void ReadShowChoices(const std::string* objects, const std::string& key, const std::string& background,
                     SaverSettings* settings) {
  if (objects != nullptr)
    settings->show.objectCount = ParseNumber(*objects, "--objects", kMinObjects, kMaxObjects);

  settings->key = key;
  if (!key.empty() && key[0] == '#') {
    if (!ParseColour(key, &settings->keyNear))
      throw UsageError("--key " + key + ": give a colour as #RRGGBB, for example #00ff00");
    settings->keyColour = true;
  } else if (key != "none" && key != "auto") {
    ParseNumber(key, "--key", 0, 255);
  }

  if (!background.empty() && background[0] == '#') {
    if (!ParseColour(background, &settings->background))
      throw UsageError("--background " + background + ": give a colour as #RRGGBB, for example #181818");
    settings->backgroundColour = true;
    settings->show.useBackground = true;
  } else if (background != "darkest") {
    settings->show.useBackground = true;
    settings->show.backgroundIndex = ParseNumber(background, "--background", 0, 255);
  }
}

Bytes ConvertImage(RgbaImage image, const std::string& name, SaverSettings* settings, IndexedPicture* picture,
                   std::string* scaledNote) {
  int width = image.width, height = image.height;
  FitWithin(image.width, image.height, settings->maxWidth, settings->maxHeight, &width, &height);
  if (width != image.width || height != image.height) {
    char note[400];
    std::snprintf(note, sizeof note,
                  "scaled %s from %d x %d to %d x %d: copies are drawn at up to 2/3 of the picture and only when "
                  "wholly on the 640 x 480 screen (--max-size sets the limit, %d x %d by default)",
                  name.c_str(), image.width, image.height, width, height, kDefaultMaxWidth, kDefaultMaxHeight);
    *scaledNote = note;
    image = ScaleDown(image, width, height);
  }

  QuantiseSettings quantise;
  quantise.dither = settings->dither;
  // A key colour picked on the picture is one of its own entries: the
  // picture's transparency is laid onto the background first.
  quantise.key = settings->key == "auto" ? KeyMode::kAuto
                 : settings->key == "none" || settings->keyColour ? KeyMode::kNone
                                                                  : KeyMode::kIndex;
  if (quantise.key == KeyMode::kIndex) quantise.keyIndex = ParseNumber(settings->key, "--key", 0, 255);
  if (settings->backgroundColour) quantise.matte = settings->background;
  QuantisedPicture quantised;
  try {
    quantised = Quantise(image, quantise);
  } catch (const ToolError& error) {
    throw ToolError("picture " + name + ": " + error.what());
  }
  *picture = quantised.picture;
  if (settings->keyColour)
    settings->show.colorKey = NearestUsedEntry(*picture, -1, settings->keyNear);
  else
    settings->show.colorKey = quantised.transparentIndex >= 0 ? quantised.transparentIndex : kNoColorKey;
  return EncodeRuntimeGif(quantised.picture);
}

SaverHeader HeaderFor(const IndexedPicture& picture, size_t gifSize, SaverSettings* settings,
                    std::string* backgroundNote) {
  if (settings->backgroundColour) {
    int exclude = settings->show.colorKey == kNoColorKey ? -1 : settings->show.colorKey;
    settings->show.backgroundIndex = NearestUsedEntry(picture, exclude, settings->background);
    const Rgb& chosen = picture.palette[settings->show.backgroundIndex];
    if (chosen != settings->background)
      *backgroundNote = " (the nearest to " + ColourText(settings->background) + " is " + ColourText(chosen) + ")";
  }
  if (gifSize > (size_t)INT32_MAX - kGifFileOffset) throw ToolError("the picture is too large for a saver");
  return MakeHeader(picture.width, picture.height, (int32_t)gifSize, settings->show);
}

Bytes MakeSaver(const Bytes& pictureFile, const std::string& name, SaverSettings settings, const Bytes& runtime,
                int64_t largestPixels) {
  RgbaImage image = DecodePicture(pictureFile, name, largestPixels);
  IndexedPicture picture;
  std::string note;
  Bytes gif = ConvertImage(std::move(image), name, &settings, &picture, &note);
  SaverHeader header = HeaderFor(picture, gif.size(), &settings, &note);
  Bytes saver = JoinSaver(runtime, MakeBlock(header, gif));
  // The runtime's reader reads files; the copy lives only while it is checked.
  TemporaryFolder work;
  std::string path = work.Path() + "/saver.scr";
  WriteFileAtomically(path, saver, false);
  VerifySaver(path, header, picture);
  return saver;
}

Bytes RecordPreview(const Bytes& block, const Bytes& linuxRuntime, int seconds, std::string* summary) {
  // The block moves unchanged onto the Linux runtime, whatever it came with.
  TemporaryFolder work;
  std::string saver = work.Path() + "/preview.scr";
  WriteFileAtomically(saver, JoinSaver(linuxRuntime, block), true);
  std::string frames = work.Path() + "/frames";
  if (mkdir(frames.c_str(), 0700) != 0) throw ToolError("cannot make a folder for the frames in " + work.Path());
  int shown = seconds * kShownFramesPerSecond;
  ProcessResult run = RunProcess({saver, "/s"},
                                 {{"SDL_VIDEODRIVER", "dummy"},
                                  {"SDL_AUDIODRIVER", "dummy"},
                                  {"VOQ_FRAMES", std::to_string(shown)},
                                  {"VOQ_CAPTURE_DIR", frames}},
                                 30.0 + shown * 0.1);
  if (run.timedOut) throw ToolError("the runtime did not finish " + std::to_string(shown) + " frames in time");
  if (run.signal != 0) throw ToolError("the runtime was ended by signal " + std::to_string(run.signal));
  if (run.exitCode != 0)
    throw ToolError("the runtime exited with " + std::to_string(run.exitCode) +
                    (run.errors.empty() ? "" : ": " + FirstLine(run.errors)));
  if (!FileExists(FramePath(frames, 0))) throw ToolError("the runtime showed no frames");

  std::unique_ptr<AnimatedGifWriter> animation;
  int kept = 0, read = 0;
  for (int number = 0; number < shown && FileExists(FramePath(frames, number)); number++, read++) {
    if (number % kKeepEvery != 0) continue;
    IndexedPicture frame;
    try {
      frame = DecodeBmp8(ReadWholeFile(FramePath(frames, number), "frame"));
    } catch (const ToolError& error) {
      throw ToolError("frame " + std::to_string(number) + " of the runtime: " + error.what());
    }
    if (!animation) animation = std::make_unique<AnimatedGifWriter>(frame.width, frame.height, frame.palette);
    // 1/30 s in hundredths: 3, 3, 4, ...
    animation->AddFrame(frame, kept % 3 == 2 ? 4 : 3);
    kept++;
  }
  *summary = std::to_string(kept) + " frames, every " + (kKeepEvery == 2 ? "second" : "one") + " of the " +
             std::to_string(read) + " the runtime showed, at 30 a second";
  return animation->Finish();
}
