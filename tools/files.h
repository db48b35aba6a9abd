// File helpers of the tool: whole-file reads, atomic writes, temporary
// folders and bounded child processes.
#ifndef VOQ_TOOLS_FILES_H
#define VOQ_TOOLS_FILES_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// The whole file; throws ToolError "cannot read WHAT PATH: reason".
Bytes ReadWholeFile(const std::string& path, const std::string& what);

bool IsDirectory(const std::string& path);
bool FileExists(const std::string& path);
std::string FolderOf(const std::string& path);
std::string FileNameOf(const std::string& path);
// The lower-case extension without its dot ("" when there is none).
std::string ExtensionOf(const std::string& path);
// The folder holding the running voq-make.
std::string ToolFolder();

// Throws ToolError unless a file can be made at path (its folder exists and
// the name is not a folder); commands call it before any long work.
void CheckOutputPath(const std::string& path);

// A file written next to its final name and renamed into place only on
// Commit(), so that a failure never leaves a partial output behind. The
// temporary file is removed by the destructor, and on SIGINT/SIGTERM.
class AtomicFile {
 public:
  // Checks the output's folder and writes bytes to the temporary file.
  AtomicFile(const std::string& path, const Bytes& bytes, bool executable);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  const std::string& TemporaryPath() const { return temporary_; }
  void Commit();

 private:
  std::string path_;
  std::string temporary_;
  bool committed_ = false;
};

// Writes bytes to path atomically (AtomicFile, committed at once).
void WriteFileAtomically(const std::string& path, const Bytes& bytes, bool executable);

// A fresh folder under $TMPDIR (or /tmp), removed with its contents.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

struct ProcessResult {
  bool timedOut = false;
  int exitCode = -1;    // when it exited
  int signal = 0;       // when a signal ended it
  std::string output;   // its standard output
  std::string errors;   // its standard error
};

// Runs argv[0] with the extra environment, capturing its standard output and
// standard error; ends it (by its id) after timeoutSeconds.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& environment,
                         double timeoutSeconds);

#endif
