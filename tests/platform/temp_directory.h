// A fixture that gives each test a fresh directory under /tmp and removes it
// afterwards.
#ifndef VOQ_TESTS_PLATFORM_TEMP_DIRECTORY_H
#define VOQ_TESTS_PLATFORM_TEMP_DIRECTORY_H

#include <stdlib.h>

#include <filesystem>

#include <gtest/gtest.h>

class TempDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/voq-platform-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    directory = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(directory); }

  std::filesystem::path directory;
};

#endif
