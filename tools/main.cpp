// voq-make: the authoring tool that turns a picture into a saver.
#include <cstdio>
#include <cstring>
#include <exception>

#include "commands.h"
#include "tool_error.h"

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
      std::strcmp(argv[1], "help") == 0) {
    std::fputs(kToolHelp, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::puts("voq-make " VOQ_VERSION);
    return 0;
  }
  std::string command = argv[1];
  Arguments arguments(argv + 2, argv + argc);
  try {
    if (command == "build") return RunBuild(arguments);
    if (command == "inspect") return RunInspect(arguments);
    if (command == "extract") return RunExtract(arguments);
    if (command == "preview") return RunPreview(arguments);
    if (command == "convert") return RunConvert(arguments);
    if (command == "install") return RunInstall(arguments);
    if (command == "uninstall") return RunUninstall(arguments);
    if (command == "serve") return RunServe(arguments);
    throw UsageError("unknown command " + command + " (see voq-make --help)");
  } catch (const UsageError& error) {
    std::fprintf(stderr, "voq-make: error: %s\n", error.what());
    return 2;
  } catch (const ToolError& error) {
    std::fprintf(stderr, "voq-make: error: %s\n", error.what());
    return 1;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "voq-make: error: out of memory\n");
    return 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "voq-make: error: %s\n", error.what());
    return 1;
  }
}
