// A saver file examined the way its runtime will read it.
#ifndef VOQ_TOOLS_SAVER_CHECK_H
#define VOQ_TOOLS_SAVER_CHECK_H

#include <string>
#include <vector>

#include "gif_io.h"
#include "picture.h"
#include "runtime_reader.h"
#include "saver_block.h"

struct SaverCheck {
  std::string name;
  bool ok = false;
  std::string detail;  // why not, or what was found
};

struct SaverAnalysis {
  std::string path;
  uint64_t fileSize = 0;
  size_t runtimeLength = 0;  // up to the last non-zero byte before the block
  std::string runtimeKind;   // "ELF", "PE" or "unknown"
  bool hasHeader = false;
  Bytes headerBytes;   // the 396 bytes as stored
  SaverHeader header;  // their fields, whatever the magic says
  bool runtimeReadHeader = false;  // ReadSaverData's verdict
  Bytes gif;                       // slot 0's bytes when they lie inside the file
  GifLayout layout;
  bool decoded = false;
  RuntimeDecode decode;
  int usedColours = 0;
  int64_t keyPixels = 0;
  int background = 0;  // the index the runtime will clear with
  std::vector<SaverCheck> checks;
  std::vector<std::string> warnings;
  bool accepted = false;
  const SaverCheck* FirstFailure() const;
};

// Throws ToolError only when the file cannot be read at all.
SaverAnalysis AnalyseSaver(const std::string& path);

// AnalyseSaver, throwing ToolError "PATH would be refused: ..." unless the
// runtime accepts the saver.
SaverAnalysis AnalyseAcceptedSaver(const std::string& path);

// Reads the saver at path with the runtime's reader and decoder; throws
// ToolError unless they give back exactly header and picture.
void VerifySaver(const std::string& path, const SaverHeader& header, const IndexedPicture& picture);

#endif
