// Whole-process behaviour, through the probe program: the command line a
// program sees, the frame limit, frame capture, running without a display.
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/lib/temporary.h"

namespace {

namespace fs = std::filesystem;

struct ProcessRun {
  int status;
  std::string out;
  std::string err;
};

class Process : public TempDirectoryTest {
 protected:
  void SetUp() override {
    TempDirectoryTest::SetUp();
    char* real = realpath(VOQ_PROBE_PATH, nullptr);
    ASSERT_NE(real, nullptr);
    probe = real;
    free(real);
  }
  // Runs a shell command line, bounded in time, and collects its output.
  ProcessRun Shell(const std::string& command) {
    fs::path err = directory / "stderr";
    std::string line = "timeout 60 sh -c '" + command + "' 2>'" + err.string() + "'";
    FILE* pipe = popen(line.c_str(), "r");
    ProcessRun run = {-1, "", ""};
    if (pipe == nullptr) return run;
    char buffer[512];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, got);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(err);
    run.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return run;
  }

  std::string probe;
};

TEST_F(Process, CommandLineNamesTheRealFileThroughSymlinksAndRelativePaths) {
  fs::path folder = directory / "with blank";
  fs::create_directories(folder / "sub");
  fs::create_symlink(probe, folder / "link.scr");
  struct Case {
    const char* start;
    const char* arguments;
    std::string expected;
  } cases[] = {
      {"./link.scr", " /s", "\"" + probe + "\" /s\n/s\n"},
      {"sub/../link.scr", " /c:1234", "\"" + probe + "\" /c:1234\n/c:1234\n"},
      {"./link.scr", "", "\"" + probe + "\"\n\n"},
  };
  for (const Case& c : cases) {
    ProcessRun run =
        Shell("cd \"" + folder.string() + "\" && VOQ_PROBE=cmdline " + c.start + c.arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, c.expected) << c.start << c.arguments;
  }
}

TEST_F(Process, XScreenSaverSwitchesRunTheShowAndABadWindowIdIsRefused) {
  struct Case {
    const char* arguments;
    const char* expected;
  } cases[] = {
      {"-root -fps", "/s"}, {"--window-id 0x2a", "/s"}, {"--window", "ws"}, {"/s -fps", "/s -fps"},
  };
  for (const Case& c : cases) {
    ProcessRun run = Shell("VOQ_PROBE=cmdline " + probe + " " + c.arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "\"" + probe + "\" " + c.expected + "\n" + c.expected + "\n") << c.arguments;
  }
  ProcessRun bad = Shell("VOQ_PROBE=cmdline " + probe + " -window-id 0x2z");
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.out, "") << "the program never ran";
  EXPECT_EQ(bad.err, "a window id is 0x and hexadecimal digits, or decimal digits\n");
  ProcessRun headless = Shell("SDL_VIDEODRIVER=dummy VOQ_PROBE=display " + probe + " -root");
  EXPECT_EQ(headless.status, 1) << "no window to draw in is a failed run";
  EXPECT_EQ(headless.out, "display 0 window 0\n");
  EXPECT_EQ(headless.err, "no X display to draw on\n");
}

// The probe's frame n: pixel (x, y) = (x + 2y + n) mod 256, palette entry
// i = (i, 255 - i, 7i mod 256).
void ExpectCapturedFrame(const fs::path& file, int n) {
  std::ifstream in(file, std::ios::binary);
  ASSERT_TRUE(in) << file;
  std::vector<uint8_t> bmp((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto u16 = [&](size_t at) { return (uint32_t)bmp[at] | (uint32_t)bmp[at + 1] << 8; };
  auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
  const size_t offset = 14 + 40 + 1024;
  ASSERT_EQ(bmp.size(), offset + 640 * 480) << file;
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(u32(2), bmp.size());
  EXPECT_EQ(u32(10), offset);
  EXPECT_EQ(u32(14), 40u);
  EXPECT_EQ(u32(18), 640u);
  EXPECT_EQ(u32(22), 480u) << "rows bottom-up";
  EXPECT_EQ(u16(26), 1u);
  EXPECT_EQ(u16(28), 8u) << "bits per pixel";
  EXPECT_EQ(u32(30), 0u) << "uncompressed";
  EXPECT_EQ(u32(46), 256u) << "colours used";
  for (int i = 0; i < 256; i++) {
    const uint8_t* quad = &bmp[54 + 4 * i];
    ASSERT_EQ(quad[2], i) << "red of entry " << i;
    ASSERT_EQ(quad[1], 255 - i) << "green of entry " << i;
    ASSERT_EQ(quad[0], (uint8_t)(7 * i)) << "blue of entry " << i;
  }
  for (int y = 0; y < 480; y++) {
    const uint8_t* row = &bmp[offset + (size_t)(479 - y) * 640];
    for (int x = 0; x < 640; x++)
      ASSERT_EQ(row[x], (uint8_t)(x + 2 * y + n)) << file << " at " << x << "," << y;
  }
}

TEST_F(Process, FrameLimitEndsTheRunAndEveryFrameIsCaptured) {
  ProcessRun run = Shell("SDL_VIDEODRIVER=dummy VOQ_PROBE=frames VOQ_FRAMES=5 VOQ_CAPTURE_DIR=" +
                  directory.string() + " " + probe + " /s");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "frames 5\n");
  for (int n = 0; n < 5; n++) {
    char name[32];
    snprintf(name, sizeof name, "frame-%05d.bmp", n);
    ExpectCapturedFrame(directory / name, n);
  }
  EXPECT_FALSE(fs::exists(directory / "frame-00005.bmp"));
}

TEST_F(Process, OneFrameLimit) {
  ProcessRun run = Shell("SDL_VIDEODRIVER=dummy VOQ_PROBE=frames VOQ_FRAMES=1 " + probe + " /s");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "frames 1\n");
}

TEST_F(Process, CaptureFailureIsReportedOnceAndTheRunGoesOn) {
  ProcessRun run = Shell("SDL_VIDEODRIVER=dummy VOQ_PROBE=frames VOQ_FRAMES=3 VOQ_CAPTURE_DIR=" +
                  (directory / "missing").string() + " " + probe + " /s");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "frames 3\n");
  EXPECT_EQ(run.err,
            "voq: cannot write " + (directory / "missing").string() + "/frame-00000.bmp\n");
}

TEST_F(Process, WithoutAnyDisplayWindowsStillWork) {
  const char* settings[] = {
      "unset SDL_VIDEODRIVER WAYLAND_DISPLAY DISPLAY;",
      "unset SDL_VIDEODRIVER WAYLAND_DISPLAY; export DISPLAY=:4093;",
  };
  for (const char* setting : settings) {
    ProcessRun run = Shell(std::string(setting) + " VOQ_PROBE=display " + probe);
    EXPECT_EQ(run.status, 0) << setting << run.err;
    EXPECT_EQ(run.out, "display 0 window 1\n") << setting;
  }
  ProcessRun quiet = Shell(std::string(settings[0]) + " VOQ_PROBE=display " + probe);
  EXPECT_EQ(quiet.err, "") << "looked for a display that was never named";
}

}  // namespace
