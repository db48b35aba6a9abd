#include "files.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "tool_error.h"

namespace {

std::string Reason() { return std::strerror(errno); }

// Temporary outputs that a signal must not leave behind. Plain arrays: the
// handler may only call async-signal-safe functions.
const int kMaxPendingFiles = 4;
char pendingFiles[kMaxPendingFiles][PATH_MAX];

void RemovePendingFilesAndDie(int signalNumber) {
  for (auto& name : pendingFiles)
    if (name[0] != 0) unlink(name);
  signal(signalNumber, SIG_DFL);
  raise(signalNumber);
}

void RegisterPendingFile(const std::string& path) {
  static bool handlersInstalled = false;
  if (!handlersInstalled) {
    signal(SIGINT, RemovePendingFilesAndDie);
    signal(SIGTERM, RemovePendingFilesAndDie);
    signal(SIGHUP, RemovePendingFilesAndDie);
    handlersInstalled = true;
  }
  if (path.size() >= PATH_MAX) return;
  for (auto& name : pendingFiles) {
    if (name[0] == 0) {
      std::memcpy(name, path.c_str(), path.size() + 1);
      return;
    }
  }
}

void ForgetPendingFile(const std::string& path) {
  for (auto& name : pendingFiles)
    if (path == name) name[0] = 0;
}

void WriteAll(int fd, const Bytes& bytes, const std::string& path) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) throw ToolError("cannot write " + path + ": " + Reason());
    done += (size_t)wrote;
  }
}

}  // namespace

Bytes ReadWholeFile(const std::string& path, const std::string& what) {
  if (IsDirectory(path)) throw ToolError("cannot read " + what + " " + path + ": it is a folder");
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw ToolError("cannot read " + what + " " + path + ": " + Reason());
  Bytes bytes;
  uint8_t buffer[65536];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      std::string reason = Reason();
      close(fd);
      throw ToolError("cannot read " + what + " " + path + ": " + reason);
    }
    if (got == 0) break;
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  close(fd);
  return bytes;
}

bool IsDirectory(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtensionOf(const std::string& path) {
  std::string name = FileNameOf(path);
  size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return "";
  std::string extension = name.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return (char)std::tolower(c); });
  return extension;
}

std::string ToolFolder() {
  char* exe = realpath("/proc/self/exe", nullptr);
  if (exe == nullptr) return ".";
  std::string folder = FolderOf(exe);
  std::free(exe);
  return folder;
}

void CheckOutputPath(const std::string& path) {
  if (path.empty()) throw ToolError("the output name is empty");
  if (IsDirectory(path)) throw ToolError("cannot write " + path + ": it is a folder");
  std::string folder = FolderOf(path);
  if (!IsDirectory(folder))
    throw ToolError("cannot write " + path + ": folder " + folder + " does not exist");
}

AtomicFile::AtomicFile(const std::string& path, const Bytes& bytes, bool executable)
    : path_(path) {
  CheckOutputPath(path);
  std::string folder = FolderOf(path);
  std::string pattern = folder + "/." + FileNameOf(path) + ".tmp-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back(0);
  int fd = mkstemp(name.data());
  if (fd < 0) throw ToolError("cannot write " + path + ": " + Reason());
  temporary_ = name.data();
  RegisterPendingFile(temporary_);
  try {
    WriteAll(fd, bytes, path);
    // Savers are programs; the umask still has its say.
    mode_t mask = umask(0);
    umask(mask);
    mode_t mode = (executable ? 0777 : 0666) & ~mask;
    if (fchmod(fd, mode) != 0 || fsync(fd) != 0)
      throw ToolError("cannot write " + path + ": " + Reason());
  } catch (...) {
    close(fd);
    unlink(temporary_.c_str());
    ForgetPendingFile(temporary_);
    throw;
  }
  if (close(fd) != 0) {
    std::string reason = Reason();
    unlink(temporary_.c_str());
    ForgetPendingFile(temporary_);
    throw ToolError("cannot write " + path + ": " + reason);
  }
}

AtomicFile::~AtomicFile() {
  if (!committed_) {
    unlink(temporary_.c_str());
    ForgetPendingFile(temporary_);
  }
}

void AtomicFile::Commit() {
  if (rename(temporary_.c_str(), path_.c_str()) != 0)
    throw ToolError("cannot write " + path_ + ": " + Reason());
  committed_ = true;
  ForgetPendingFile(temporary_);
}

void WriteFileAtomically(const std::string& path, const Bytes& bytes, bool executable) {
  AtomicFile file(path, bytes, executable);
  file.Commit();
}

TemporaryFolder::TemporaryFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != 0 ? base : "/tmp") + "/voq-make-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back(0);
  if (mkdtemp(name.data()) == nullptr)
    throw ToolError("cannot make a temporary folder: " + Reason());
  path_ = name.data();
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& environment,
                         double timeoutSeconds) {
  int outputPipe[2], errorPipe[2];
  if (pipe2(outputPipe, O_CLOEXEC) != 0) throw ToolError("cannot start " + argv[0] + ": " + Reason());
  if (pipe2(errorPipe, O_CLOEXEC) != 0) {
    close(outputPipe[0]);
    close(outputPipe[1]);
    throw ToolError("cannot start " + argv[0] + ": " + Reason());
  }
  pid_t child = fork();
  if (child < 0) {
    std::string reason = Reason();
    for (int fd : {outputPipe[0], outputPipe[1], errorPipe[0], errorPipe[1]}) close(fd);
    throw ToolError("cannot start " + argv[0] + ": " + reason);
  }
  if (child == 0) {
    int nothing = open("/dev/null", O_RDONLY);
    dup2(nothing, 0);
    dup2(outputPipe[1], 1);
    dup2(errorPipe[1], 2);
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> args;
    for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(outputPipe[1]);
  close(errorPipe[1]);

  ProcessResult result;
  auto deadline = std::chrono::steady_clock::now() +
                  std::chrono::milliseconds((long long)(timeoutSeconds * 1000));
  pollfd streams[2] = {{outputPipe[0], POLLIN, 0}, {errorPipe[0], POLLIN, 0}};
  std::string* into[2] = {&result.output, &result.errors};
  int status = 0;
  bool exited = false;
  // Read until both pipes close (or the time is up), then collect the child.
  while (streams[0].fd >= 0 || streams[1].fd >= 0) {
    int remaining = (int)std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now()).count();
    if (remaining <= 0) break;
    int ready = poll(streams, 2, std::min(remaining, 100));
    if (ready < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; i++) {
      if (streams[i].fd < 0 || (streams[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
      char buffer[4096];
      ssize_t got = read(streams[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        into[i]->append(buffer, (size_t)got);
      } else if (got == 0 || errno != EINTR) {
        close(streams[i].fd);
        streams[i].fd = -1;
      }
    }
  }
  while (!exited) {
    if (waitpid(child, &status, WNOHANG) == child) {
      exited = true;
    } else if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      result.timedOut = true;
      exited = true;
    } else {
      usleep(10000);
    }
  }
  for (const pollfd& stream : streams)
    if (stream.fd >= 0) close(stream.fd);
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}
