// voq-make build: a saver from a picture and a runtime.
#include <climits>
#include <cstdio>

#include "commands.h"
#include "gif_io.h"
#include "maker.h"
#include "options.h"
#include "picture.h"
#include "runtime_reader.h"
#include "saver_block.h"
#include "saver_check.h"
#include "tool_error.h"

namespace {

// Copies are drawn at up to 2/3 of the picture and only when wholly on the
// 640 x 480 screen: beyond 960 x 720 none ever shows, and big ones seldom do.
constexpr int kLargestWidth = 960;
constexpr int kLargestHeight = 720;

struct BuildSettings : SaverSettings {
  std::string output;
  Target target = Target::kLinux;
  std::string runtimePath;
};

BuildSettings ReadSettings(const Options& options, bool asIs) {
  BuildSettings settings;
  if (!options.Has("--output") || options.Value("--output").empty())
    throw UsageError("build needs --output SAVER (see voq-make build --help)");
  settings.output = options.Value("--output");
  if (options.Has("--target")) settings.target = ParseTarget(options.Value("--target"));
  settings.runtimePath = options.Value("--runtime");
  if (options.Has("--runtime") && settings.runtimePath.empty()) throw UsageError("--runtime needs a file name");
  std::string objects = options.Value("--objects");
  ReadShowChoices(options.Has("--objects") ? &objects : nullptr, options.Value("--key", asIs ? "none" : "auto"),
                  options.Value("--background", "darkest"), &settings);

  if (asIs) {
    if (settings.keyColour) throw UsageError("--key #RRGGBB applies to a picture to convert, not to --picture GIF");
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
  if (settings->key == "auto")
    settings->show.colorKey = layout.transparentIndex >= 0 ? layout.transparentIndex : kNoColorKey;
  else if (settings->key != "none")
    settings->show.colorKey = ParseNumber(settings->key, "--key", 0, 255);
  return gif;
}

// Reads the picture, scales it to fit and quantises it into a runtime GIF.
Bytes ConvertPicture(const std::string& path, BuildSettings* settings, IndexedPicture* picture) {
  std::string note;
  Bytes gif = ConvertImage(LoadPicture(path), path, settings, picture, &note);
  if (!note.empty()) std::printf("voq-make: %s\n", note.c_str());
  return gif;
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
  SaverHeader header = HeaderFor(picture, gif.size(), &settings, &backgroundNote);
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
