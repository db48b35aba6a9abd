// A file in memory that the code under test opens by name, rewritten for
// every input.
#ifndef VOQ_FUZZ_FUZZ_FILE_H
#define VOQ_FUZZ_FUZZ_FILE_H

#include <stdio.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

class FuzzFile {
 public:
  FuzzFile() {
    fd_ = memfd_create("voq-fuzz", 0);
    if (fd_ < 0) {
      perror("memfd_create");
      abort();
    }
    snprintf(path_, sizeof path_, "/proc/self/fd/%d", fd_);
  }
  const char* path() const { return path_; }

  // The file becomes offset zero bytes followed by data.
  void Write(const uint8_t* data, size_t size, off_t offset) {
    if (ftruncate(fd_, 0) != 0 || ftruncate(fd_, offset) != 0 ||
        (size > 0 && pwrite(fd_, data, size, offset) != (ssize_t)size)) {
      perror("memfd write");
      abort();
    }
  }

 private:
  int fd_;
  char path_[40];
};

// Aborts when the process holds more descriptors than when it was first called.
inline void CheckNoFileLeft() {
  static int first = -1;
  int probe = dup(0);
  if (probe >= 0) close(probe);
  if (first < 0) first = probe;
  if (probe != first) {
    fprintf(stderr, "a file descriptor was left open (lowest free %d, was %d)\n", probe, first);
    abort();
  }
}

#endif
