// The saver file: a runtime padded to the data block offset, then the block
// (header, one spare byte, the GIF).
#ifndef VOQ_TOOLS_SAVER_BLOCK_H
#define VOQ_TOOLS_SAVER_BLOCK_H

#include <cstdint>
#include <string>

#include "data/saver_header.h"
#include "files.h"

// What the tool writes into the int32 after the magic.
constexpr int32_t kBlockFormatVersion = 2;
// The GIF follows the header after one spare byte.
constexpr int kGifOffsetInBlock = kSaverHeaderSize + 1;
constexpr int32_t kGifFileOffset = kDataBlockOffset + kGifOffsetInBlock;
constexpr int kMinObjects = 1;
constexpr int kDefaultObjects = 9;

// The 396 bytes of header as this tool writes them.
Bytes EncodeHeader(const SaverHeader& header);

// The show's settings kept in the header.
struct ShowSettings {
  int objectCount = kDefaultObjects;
  int32_t colorKey = kNoColorKey;
  bool useBackground = false;
  int backgroundIndex = 0;
};

// The header of a saver whose GIF (width x height, gifSize bytes) follows it.
SaverHeader MakeHeader(int32_t width, int32_t height, int32_t gifSize, const ShowSettings& show);

// Refuses what cannot be a runtime: empty, over the budget, neither ELF nor PE.
void CheckRuntime(const Bytes& runtime, const std::string& path);
// runtime padded with zeros to the block offset, then block.
Bytes JoinSaver(const Bytes& runtime, const Bytes& block);
// header, the spare byte and the GIF.
Bytes MakeBlock(const SaverHeader& header, const Bytes& gif);

// The block of a saver file (from the block offset to the end); refuses a
// file too short to hold a header.
Bytes BlockOfSaver(const Bytes& saver, const std::string& path);

enum class Target { kLinux, kWindows32, kWindows64 };
// "linux", "windows32", "windows64"; throws UsageError otherwise.
Target ParseTarget(const std::string& name);
const char* TargetName(Target target);
// Where this build put the runtime of target (set by CMake).
std::string DefaultRuntimePath(Target target);
// Reads and checks the runtime: explicitPath when given, else the target's.
Bytes LoadRuntime(Target target, const std::string& explicitPath, std::string* usedPath);

#endif
