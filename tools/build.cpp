// voq-make build: a saver from a runtime and a picture.
#include <climits>
#include <cstdio>

#include "commands.h"
#include "gif_io.h"
#include "options.h"
#include "saver_block.h"
#include "tool_error.h"

namespace {

struct BuildSettings {
  std::string output;
  Target target = Target::kLinux;
  std::string runtimePath;
  ShowSettings show;
  std::string key = "none";  // "none", "auto" or an index
};

void ReadShowSettings(const Options& options, BuildSettings* settings) {
  if (!options.Has("--output") || options.Value("--output").empty())
    throw UsageError("build needs --output SAVER (see voq-make build --help)");
  settings->output = options.Value("--output");
  if (options.Has("--target")) settings->target = ParseTarget(options.Value("--target"));
  settings->runtimePath = options.Value("--runtime");
  if (options.Has("--runtime") && settings->runtimePath.empty())
    throw UsageError("--runtime needs a file name");
  if (options.Has("--objects"))
    settings->show.objectCount = ParseNumber(options.Value("--objects"), "--objects", kMinObjects, kMaxObjects);

  std::string key = options.Value("--key", settings->key);
  if (key != "none" && key != "auto") ParseNumber(key, "--key", 0, 255);
  settings->key = key;

  std::string background = options.Value("--background", "darkest");
  if (background != "darkest") {
    settings->show.useBackground = true;
    settings->show.backgroundIndex = ParseNumber(background, "--background", 0, 255);
  }
}

// The GIF as given, refused unless the runtime reads it exactly as giflib does.
Bytes TakeGifAsItIs(const std::string& path, BuildSettings* settings, int* width, int* height) {
  Bytes gif = ReadWholeFile(path, "picture");
  if (gif.empty()) throw ToolError("picture " + path + " is empty");
  GifLayout layout = ReadGifLayout(gif);
  std::vector<std::string> problems = RuntimeReadingProblems(layout);
  if (!problems.empty()) {
    if (layout.version.empty()) throw ToolError("picture " + path + " is not a GIF");
    throw ToolError("picture " + path + " " + problems.front());
  }
  try {
    DecodeFirstImage(gif);
  } catch (const ToolError& error) {
    throw ToolError("picture " + path + ": " + error.what());
  }
  if (gif.size() > (size_t)INT32_MAX - kGifFileOffset)
    throw ToolError("picture " + path + " is too large for a saver");
  if (settings->key == "auto")
    settings->show.colorKey = layout.transparentIndex >= 0 ? layout.transparentIndex : kNoColorKey;
  else if (settings->key != "none")
    settings->show.colorKey = ParseNumber(settings->key, "--key", 0, 255);
  *width = layout.width;
  *height = layout.height;
  return gif;
}

std::string KeyText(int32_t key) { return key == kNoColorKey ? "none" : std::to_string(key); }

}  // namespace

int RunBuild(const Arguments& arguments) {
  Options options("build", arguments,
                  {"--output", "--runtime", "--picture", "--target", "--objects", "--key", "--background"},
                  {});
  if (options.Has("--help")) {
    std::fputs(kBuildHelp, stdout);
    return 0;
  }
  BuildSettings settings;
  ReadShowSettings(options, &settings);
  if (!options.Has("--picture")) throw UsageError("build needs --picture GIF (see voq-make build --help)");
  options.ExpectPositional(0, 0, "");

  CheckOutputPath(settings.output);
  std::string runtimeUsed;
  Bytes runtime = LoadRuntime(settings.target, settings.runtimePath, &runtimeUsed);
  int width = 0, height = 0;
  Bytes gif = TakeGifAsItIs(options.Value("--picture"), &settings, &width, &height);

  RawHeader header = MakeHeader(width, height, (int32_t)gif.size(), settings.show);
  Bytes saver = JoinSaver(runtime, MakeBlock(header, gif));
  WriteFileAtomically(settings.output, saver, true);

  std::printf("voq-make: wrote %s (%zu bytes): %d x %d picture, key %s, background %s, %d objects, runtime %s\n",
              settings.output.c_str(), saver.size(), width, height, KeyText(settings.show.colorKey).c_str(),
              settings.show.useBackground ? std::to_string(settings.show.backgroundIndex).c_str() : "darkest",
              settings.show.objectCount, runtimeUsed.c_str());
  return 0;
}
