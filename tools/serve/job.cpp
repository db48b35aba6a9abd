#include "job.h"

#include <errno.h>
#include <fcntl.h>
#include <omp.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <new>

#include "tool_error.h"

namespace {

void WriteAll(int fd, const void* data, size_t size) {
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t written = write(fd, at, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    at += written;
    size -= (size_t)written;
  }
}

// The child's answer: one kind byte, then the saver or the message.
[[noreturn]] void Answer(int fd, char kind, const void* data, size_t size) {
  WriteAll(fd, &kind, 1);
  WriteAll(fd, data, size);
  _exit(0);
}

[[noreturn]] void RunChild(int fd, const std::string& folder, const std::function<Bytes()>& work,
                           const JobLimits& limits) {
  setpgid(0, 0);
  sigset_t all;
  sigfillset(&all);
  sigprocmask(SIG_UNBLOCK, &all, nullptr);
  signal(SIGPIPE, SIG_DFL);
  // Other requests' sockets stay with the server.
  close_range(3, (unsigned)fd - 1, 0);
  close_range((unsigned)fd + 1, ~0U, 0);
  rlimit memory = {limits.memoryBytes, limits.memoryBytes};
  rlimit cpu = {(rlim_t)limits.cpuSeconds, (rlim_t)limits.cpuSeconds + 1};
#ifndef __SANITIZE_ADDRESS__  // its shadow memory alone is beyond any such limit
  setrlimit(RLIMIT_AS, &memory);
#endif
  setrlimit(RLIMIT_CPU, &cpu);
  rlimit noCore = {0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  setenv("TMPDIR", folder.c_str(), 1);
  // Jobs run side by side, one core each: threads of the quantiser inside one
  // would only spin against the others.
  omp_set_num_threads(1);
  try {
    Bytes bytes = work();
    Answer(fd, 'D', bytes.data(), bytes.size());
  } catch (const UsageError& error) {
    Answer(fd, 'U', error.what(), std::strlen(error.what()));
  } catch (const ToolError& error) {
    Answer(fd, 'T', error.what(), std::strlen(error.what()));
  } catch (const std::bad_alloc&) {
    static const char kMessage[] = "the picture needs more memory than this maker gives one picture";
    Answer(fd, 'T', kMessage, sizeof kMessage - 1);
  } catch (const std::exception& error) {
    Answer(fd, 'F', error.what(), std::strlen(error.what()));
  }
}

}  // namespace

JobResult RunJob(const std::function<Bytes()>& work, const JobLimits& limits) {
  JobResult result;
  TemporaryFolder folder;
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
    result.message = std::string("cannot start the work: ") + std::strerror(errno);
    return result;
  }
  pid_t child = fork();
  if (child < 0) {
    result.message = std::string("cannot start the work: ") + std::strerror(errno);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    return result;
  }
  if (child == 0) {
    close(pipeEnds[0]);
    RunChild(pipeEnds[1], folder.Path(), work, limits);
  }
  close(pipeEnds[1]);
  // The parent sets the group too, so that a kill right away finds it.
  setpgid(child, child);

  Bytes answer;
  bool timedOut = false, tooLarge = false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds((long long)(limits.wallSeconds * 1000));
  for (;;) {
    int remaining = (int)std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now()).count();
    if (remaining <= 0) {
      timedOut = true;
      break;
    }
    pollfd stream = {pipeEnds[0], POLLIN, 0};
    int ready = poll(&stream, 1, remaining);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;
    char buffer[65536];
    ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    if (answer.size() + (size_t)got > limits.resultBytes + 1) {
      tooLarge = true;
      break;
    }
    answer.insert(answer.end(), buffer, buffer + got);
  }
  close(pipeEnds[0]);
  // Whatever the child left running (the preview's runtime) goes with it.
  if (timedOut || tooLarge) kill(-child, SIGKILL);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  kill(-child, SIGKILL);

  if (timedOut) {
    result.kind = JobResult::Kind::kToolError;
    result.message = "the picture took longer than " + std::to_string((int)limits.wallSeconds) +
                     " seconds to make";
  } else if (tooLarge) {
    result.message = "the result is larger than this maker sends";
  } else if (WIFSIGNALED(status) || answer.empty()) {
    int signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.kind = JobResult::Kind::kToolError;
    if (signal == SIGXCPU || signal == SIGKILL)
      result.message = "the picture took more than " + std::to_string(limits.cpuSeconds) +
                       " seconds of processor time to make";
    else
      result.message = "the picture could not be read: its decoding stopped" +
                       (signal != 0 ? std::string(" (") + strsignal(signal) + ")" : std::string());
  } else {
    char kind = (char)answer[0];
    answer.erase(answer.begin());
    if (kind == 'D') {
      result.kind = JobResult::Kind::kDone;
      result.bytes = std::move(answer);
    } else {
      result.kind = kind == 'U' ? JobResult::Kind::kUsageError
                    : kind == 'T' ? JobResult::Kind::kToolError
                                  : JobResult::Kind::kFailed;
      result.message.assign(answer.begin(), answer.end());
    }
  }
  return result;
}
