// How the tool reports a failure: one short line, then a non-zero exit.
#ifndef VOQ_TOOLS_TOOL_ERROR_H
#define VOQ_TOOLS_TOOL_ERROR_H

#include <stdexcept>
#include <string>

// Something about the input or the system; exit code 1.
struct ToolError : std::runtime_error {
  explicit ToolError(const std::string& message) : std::runtime_error(message) {}
};

// A wrong command line; exit code 2.
struct UsageError : ToolError {
  explicit UsageError(const std::string& message) : ToolError(message) {}
};

#endif
