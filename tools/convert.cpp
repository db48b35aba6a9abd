// voq-make convert: a saver's data block moved onto another runtime.
#include <cstdio>

#include "commands.h"
#include "options.h"
#include "saver_check.h"
#include "tool_error.h"

int RunConvert(const Arguments& arguments) {
  Options options("convert", arguments, {"--target", "--output", "--runtime"}, {});
  if (options.Has("--help")) {
    std::fputs(kConvertHelp, stdout);
    return 0;
  }
  options.ExpectPositional(1, 1, "a SAVER to convert");
  if (!options.Has("--target") && !options.Has("--runtime"))
    throw UsageError("convert needs --target linux|windows32|windows64 (or --runtime RUNTIME)");
  if (!options.Has("--output") || options.Value("--output").empty())
    throw UsageError("convert needs --output SAVER (see voq-make convert --help)");
  Target target = options.Has("--target") ? ParseTarget(options.Value("--target")) : Target::kLinux;
  const std::string& input = options.Positional()[0];
  std::string output = options.Value("--output");
  CheckOutputPath(output);

  SaverAnalysis analysis = AnalyseAcceptedSaver(input);
  std::string runtimePath;
  Bytes runtime = LoadRuntime(target, options.Value("--runtime"), &runtimePath);
  // Offsets in the header count from the start of the file, and the block
  // stays at the same offset: its bytes move unchanged.
  Bytes saver = JoinSaver(runtime, BlockOfSaver(ReadWholeFile(input, "saver"), input));
  AtomicFile file(output, saver, true);
  VerifySaver(file.TemporaryPath(), analysis.header, analysis.decode.picture);
  file.Commit();
  std::printf("voq-make: wrote %s (%zu bytes): the block of %s on the %s runtime %s\n", output.c_str(), saver.size(),
              input.c_str(), options.Has("--runtime") ? "given" : TargetName(target), runtimePath.c_str());
  return 0;
}
