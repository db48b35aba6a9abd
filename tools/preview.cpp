// voq-make preview: the show as the Linux runtime draws it, headless, as an
// animated GIF.
#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "bmp.h"
#include "commands.h"
#include "options.h"
#include "saver_check.h"
#include "tool_error.h"

namespace {

// The show moves one step per frame, at the display's refresh; at 60 Hz,
// every second frame shown every 1/30 s plays at its real speed.
constexpr int kShownFramesPerSecond = 60;
constexpr int kKeepEvery = 2;
constexpr int kDefaultSeconds = 5;
constexpr int kLongestSeconds = 60;

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

int RunPreview(const Arguments& arguments) {
  Options options("preview", arguments, {"--seconds", "--runtime"}, {});
  if (options.Has("--help")) {
    std::fputs(kPreviewHelp, stdout);
    return 0;
  }
  options.ExpectPositional(2, 2, "a SAVER and an OUTPUT.gif");
  const std::string& saverPath = options.Positional()[0];
  const std::string& output = options.Positional()[1];
  if (ExtensionOf(output) != "gif") throw UsageError("preview writes an animated GIF: name the output *.gif");
  int seconds = kDefaultSeconds;
  if (options.Has("--seconds"))
    seconds = ParseNumber(options.Value("--seconds"), "--seconds", 1, kLongestSeconds);
  CheckOutputPath(output);

  AnalyseAcceptedSaver(saverPath);
  Bytes block = BlockOfSaver(ReadWholeFile(saverPath, "saver"), saverPath);
  std::string runtimePath;
  Bytes runtime = LoadRuntime(Target::kLinux, options.Value("--runtime"), &runtimePath);

  // The block moves unchanged onto the Linux runtime, whatever it came with.
  TemporaryFolder work;
  std::string saver = work.Path() + "/preview.scr";
  WriteFileAtomically(saver, JoinSaver(runtime, block), true);
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
  Bytes gif = animation->Finish();
  WriteFileAtomically(output, gif, false);
  std::printf("voq-make: wrote %s (%zu bytes): %d frames, every %s of the %d the runtime showed, at 30 a second\n",
              output.c_str(), gif.size(), kept, kKeepEvery == 2 ? "second" : "one", read);
  return 0;
}
