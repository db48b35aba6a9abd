// Temporary folders and files for the C++ tests, under $TMPDIR (else /tmp),
// removed again when they go out of scope.
#ifndef VOQ_TESTS_LIB_TEMPORARY_H
#define VOQ_TESTS_LIB_TEMPORARY_H

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// A name pattern for mkdtemp/mkstemp in the temporary folder.
inline std::vector<char> TemporaryPattern(const std::string& prefix) {
  const char* base = getenv("TMPDIR");
  std::string pattern = std::string(base != NULL && *base != 0 ? base : "/tmp") + "/" + prefix + "-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back(0);
  return name;
}

class TemporaryDirectory {
 public:
  explicit TemporaryDirectory(const std::string& prefix = "voq-test") {
    std::vector<char> name = TemporaryPattern(prefix);
    if (mkdtemp(name.data()) == NULL) {
      perror("mkdtemp");
      abort();
    }
    path_ = name.data();
  }
  ~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A file holding bytes.
class TemporaryFile {
 public:
  TemporaryFile(const void* bytes, size_t size, const std::string& prefix = "voq-test") {
    std::vector<char> name = TemporaryPattern(prefix);
    int fd = mkstemp(name.data());
    if (fd < 0 || write(fd, bytes, size) != (ssize_t)size) {
      perror("temporary file");
      abort();
    }
    close(fd);
    path_ = name.data();
  }
  explicit TemporaryFile(const std::vector<unsigned char>& bytes, const std::string& prefix = "voq-test")
      : TemporaryFile(bytes.data(), bytes.size(), prefix) {}
  ~TemporaryFile() { unlink(path_.c_str()); }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const char* path() const { return path_.c_str(); }

 private:
  std::string path_;
};

// A fixture that gives each test a fresh directory.
class TempDirectoryTest : public ::testing::Test {
 protected:
  TemporaryDirectory temporary{"voq-platform"};
  std::filesystem::path directory{temporary.path()};
};

#endif
