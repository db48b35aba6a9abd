// voq-make preview: the show as the Linux runtime draws it, headless, as an
// animated GIF.
#include <cstdio>

#include "commands.h"
#include "maker.h"
#include "options.h"
#include "saver_check.h"
#include "tool_error.h"

constexpr int kLongestSeconds = 60;

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
  int seconds = kDefaultPreviewSeconds;
  if (options.Has("--seconds"))
    seconds = ParseNumber(options.Value("--seconds"), "--seconds", 1, kLongestSeconds);
  CheckOutputPath(output);

  AnalyseAcceptedSaver(saverPath);
  Bytes block = BlockOfSaver(ReadWholeFile(saverPath, "saver"), saverPath);
  std::string runtimePath;
  Bytes runtime = LoadRuntime(Target::kLinux, options.Value("--runtime"), &runtimePath);

  std::string summary;
  Bytes gif = RecordPreview(block, runtime, seconds, &summary);
  WriteFileAtomically(output, gif, false);
  std::printf("voq-make: wrote %s (%zu bytes): %s\n", output.c_str(), gif.size(), summary.c_str());
  return 0;
}
