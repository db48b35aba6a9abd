// voq-make extract: the saver's picture as its runtime decodes it.
#include <cstdio>

#include "bmp.h"
#include "commands.h"
#include "options.h"
#include "saver_check.h"
#include "tool_error.h"

int RunExtract(const Arguments& arguments) {
  Options options("extract", arguments, {}, {});
  if (options.Has("--help")) {
    std::fputs(kExtractHelp, stdout);
    return 0;
  }
  options.ExpectPositional(2, 2, "a SAVER and an OUTPUT.bmp");
  const std::string& saver = options.Positional()[0];
  const std::string& output = options.Positional()[1];
  if (ExtensionOf(output) != "bmp") throw UsageError("extract writes an 8-bit BMP: name the output *.bmp");

  CheckOutputPath(output);
  SaverAnalysis analysis = AnalyseSaver(saver);
  if (!analysis.decoded) {
    const SaverCheck* failure = analysis.FirstFailure();
    throw ToolError(saver + ": the runtime cannot decode its picture: " +
                    (failure != nullptr ? failure->name + ": " + failure->detail : "unknown"));
  }
  WriteFileAtomically(output, EncodeBmp8(analysis.decode.picture), false);
  std::printf("voq-make: wrote %s: %d x %d, %d colours used\n", output.c_str(), analysis.decode.picture.width,
              analysis.decode.picture.height, analysis.usedColours);
  return 0;
}
