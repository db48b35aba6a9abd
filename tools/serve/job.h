// One upload's work in a child process of its own, with memory, CPU and
// wall-clock limits, so that a picture that crashes or exhausts a decoder
// costs only its own request.
#ifndef VOQ_TOOLS_SERVE_JOB_H
#define VOQ_TOOLS_SERVE_JOB_H

#include <functional>
#include <string>

#include "files.h"

struct JobLimits {
  size_t memoryBytes = size_t(1) << 30;  // address space of the child
  int cpuSeconds = 20;
  double wallSeconds = 30;
  size_t resultBytes = size_t(64) << 20;
};

struct JobResult {
  enum class Kind { kDone, kToolError, kUsageError, kFailed } kind = Kind::kFailed;
  Bytes bytes;          // kDone
  std::string message;  // otherwise, in words
};

// Runs work in a forked child whose TMPDIR is a folder of its own, removed
// with everything in it once the child and its process group are gone.
// work's ToolError and UsageError come back as their messages.
JobResult RunJob(const std::function<Bytes()>& work, const JobLimits& limits);

#endif
