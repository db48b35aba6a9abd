// voq-make's help: for the tool and every command, with examples.
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

TEST(Help, EveryCommandExplainsItselfWithExamples) {
  for (const char* command : {"build", "inspect", "extract", "preview", "convert", "install", "uninstall"}) {
    for (const char* flag : {"--help", "-h"}) {
      SCOPED_TRACE(std::string(command) + " " + flag);
      ProcessResult run = RunTool({command, flag});
      EXPECT_EQ(run.exitCode, 0);
      EXPECT_EQ(run.errors, "");
      EXPECT_EQ(run.output.rfind(std::string("usage: voq-make ") + command, 0), 0u) << run.output;
      EXPECT_NE(run.output.find("example"), std::string::npos);
      EXPECT_NE(run.output.find(std::string("  voq-make ") + command + " "), std::string::npos) << run.output;
    }
  }
}

TEST(Help, ToolHelpListsTheCommands) {
  ProcessResult run = RunTool({"--help"});
  EXPECT_EQ(run.exitCode, 0);
  for (const char* command : {"build", "inspect", "extract", "preview", "convert", "install", "uninstall"})
    EXPECT_NE(run.output.find(std::string("  ") + command + " "), std::string::npos) << command;

  run = RunTool({});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(run.errors.rfind("usage: voq-make COMMAND", 0), 0u);

  run = RunTool({"make", "x"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.errors, "voq-make: error: unknown command make (see voq-make --help)\n");
}

}  // namespace
