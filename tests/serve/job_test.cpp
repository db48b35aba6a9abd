// The child process of one upload: its answer, and each of its limits ending
// it with a message while the caller goes on.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

#include "job.h"
#include "tests/lib/temporary.h"
#include "tool_error.h"

namespace {

// A TMPDIR of the test's own, to see what the jobs leave in it.
class JobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* before = getenv("TMPDIR");
    before_ = before != nullptr ? before : "";
    setenv("TMPDIR", temporary_.path().c_str(), 1);
  }
  void TearDown() override {
    EXPECT_TRUE(std::filesystem::is_empty(temporary_.path())) << "a job left files in " << temporary_.path();
    if (before_.empty())
      unsetenv("TMPDIR");
    else
      setenv("TMPDIR", before_.c_str(), 1);
  }
  TemporaryDirectory temporary_{"voq-job-test"};
  std::string before_;
};

TEST_F(JobTest, AnswersWithTheBytesOrTheToolsMessage) {
  JobResult done = RunJob([] { return Bytes{1, 2, 3}; }, JobLimits());
  EXPECT_EQ(done.kind, JobResult::Kind::kDone);
  EXPECT_EQ(done.bytes, (Bytes{1, 2, 3}));
  JobResult refused = RunJob([]() -> Bytes { throw ToolError("picture x is empty"); }, JobLimits());
  EXPECT_EQ(refused.kind, JobResult::Kind::kToolError);
  EXPECT_EQ(refused.message, "picture x is empty");
  JobResult usage = RunJob([]() -> Bytes { throw UsageError("--objects 0: no"); }, JobLimits());
  EXPECT_EQ(usage.kind, JobResult::Kind::kUsageError);
}

TEST_F(JobTest, EachLimitEndsTheChildWithAMessage) {
  struct Case {
    const char* name;
    std::function<Bytes()> work;
    JobLimits limits;
    const char* message;
  };
  JobLimits shortWall;
  shortWall.wallSeconds = 1;
  JobLimits shortCpu;
  shortCpu.cpuSeconds = 1;
  JobLimits smallMemory;
  smallMemory.memoryBytes = size_t(256) << 20;
  JobLimits smallResult;
  smallResult.resultBytes = 1000;
  std::vector<Case> cases = {
      {"crash", []() -> Bytes { raise(SIGSEGV); return {}; }, JobLimits(), "its decoding stopped (Segmentation fault)"},
      {"wall clock",
       [] {
         // Leaves a file behind in its TMPDIR and a process in its group.
         std::ofstream(std::string(getenv("TMPDIR")) + "/half-made") << "x";
         if (fork() == 0) pause();
         pause();
         return Bytes{};
       },
       shortWall, "took longer than 1 seconds"},
      {"processor",
       [] {
         for (volatile unsigned long i = 0;; i++) {
         }
         return Bytes{};
       },
       shortCpu, "more than 1 seconds of processor time"},
      {"memory", [] { return Bytes(size_t(512) << 20, 7); }, smallMemory, "needs more memory"},
      {"result", [] { return Bytes(5000, 1); }, smallResult, "larger than this maker sends"},
  };
  for (const Case& c : cases) {
    auto start = std::chrono::steady_clock::now();
    JobResult result = RunJob(c.work, c.limits);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_NE(result.kind, JobResult::Kind::kDone) << c.name;
    EXPECT_NE(result.message.find(c.message), std::string::npos) << c.name << ": " << result.message;
    EXPECT_LT(seconds, 10) << c.name;
  }
}

}  // namespace
