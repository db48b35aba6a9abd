#include "saver_block.h"

#include <cstring>
#include <filesystem>

#include "install_layout.h"
#include "tool_error.h"

Bytes EncodeHeader(const SaverHeader& header) {
  Bytes bytes(kSaverHeaderSize);
  EncodeSaverHeader(&header, kBlockFormatVersion, bytes.data());
  return bytes;
}

SaverHeader MakeHeader(int32_t width, int32_t height, int32_t gifSize, const ShowSettings& show) {
  SaverHeader header;
  ImageSlot& picture = header.slots[0];
  picture.width = width;
  picture.height = height;
  picture.colorKey = show.colorKey;
  picture.offset = kGifFileOffset;
  picture.size = gifSize;
  picture.type = 'g';
  // The unused slots point at the end of the file and hold nothing.
  int32_t fileSize = kGifFileOffset + gifSize;
  for (int i = 1; i < kImageSlotCount; i++) header.slots[i] = {0, 0, kNoColorKey, fileSize, 0, 'g'};
  header.objectCount = (uint8_t)show.objectCount;
  header.useBackground = show.useBackground ? 1 : 0;
  header.backgroundIndex = show.useBackground ? (uint8_t)show.backgroundIndex : 0;
  return header;
}

void CheckRuntime(const Bytes& runtime, const std::string& path) {
  if (runtime.empty()) throw ToolError("runtime " + path + " is empty");
  if (runtime.size() > (size_t)kDataBlockOffset)
    throw ToolError("runtime " + path + " is " + std::to_string(runtime.size()) +
                    " bytes, over the " + std::to_string(kDataBlockOffset) + "-byte budget");
  bool elf = runtime.size() >= 4 && std::memcmp(runtime.data(), "\x7f" "ELF", 4) == 0;
  bool pe = runtime.size() >= 2 && runtime[0] == 'M' && runtime[1] == 'Z';
  if (!elf && !pe) throw ToolError("runtime " + path + " is not a program (neither ELF nor MZ)");
}

Bytes JoinSaver(const Bytes& runtime, const Bytes& block) {
  Bytes saver(runtime);
  saver.resize(kDataBlockOffset, 0);
  saver.insert(saver.end(), block.begin(), block.end());
  return saver;
}

Bytes MakeBlock(const SaverHeader& header, const Bytes& gif) {
  Bytes block = EncodeHeader(header);
  block.push_back(0);
  block.insert(block.end(), gif.begin(), gif.end());
  return block;
}

Bytes BlockOfSaver(const Bytes& saver, const std::string& path) {
  if (saver.size() < (size_t)kDataBlockOffset + kSaverHeaderSize)
    throw ToolError(path + " is " + std::to_string(saver.size()) +
                    " bytes, too short to hold a saver's data block");
  return Bytes(saver.begin() + kDataBlockOffset, saver.end());
}

Target ParseTarget(const std::string& name) {
  if (name == "linux") return Target::kLinux;
  if (name == "windows32") return Target::kWindows32;
  if (name == "windows64") return Target::kWindows64;
  throw UsageError("--target " + name + ": choose linux, windows32 or windows64");
}

const char* TargetName(Target target) {
  switch (target) {
    case Target::kLinux: return "linux";
    case Target::kWindows32: return "windows32";
    case Target::kWindows64: return "windows64";
  }
  return "?";
}

std::string DefaultRuntimePath(Target target) {
  // An installed voq-make takes the runtimes the package put next to it.
  if (std::string installed = InstalledRuntimePath(target); !installed.empty()) {
    std::error_code ignored;
    std::string tidy = std::filesystem::weakly_canonical(installed, ignored).string();
    return tidy.empty() ? installed : tidy;
  }
  switch (target) {
    case Target::kLinux: return VOQ_LINUX_RUNTIME;
    case Target::kWindows32: return VOQ_WINDOWS32_RUNTIME;
    case Target::kWindows64: return VOQ_WINDOWS64_RUNTIME;
  }
  return "";
}

Bytes LoadRuntime(Target target, const std::string& explicitPath, std::string* usedPath) {
  std::string path = explicitPath.empty() ? DefaultRuntimePath(target) : explicitPath;
  if (explicitPath.empty() && !FileExists(path))
    throw ToolError(std::string("no ") + TargetName(target) + " runtime at " + path +
                    " (build it, or name one with --runtime)");
  Bytes runtime = ReadWholeFile(path, "runtime");
  CheckRuntime(runtime, path);
  if (usedPath != nullptr) *usedPath = path;
  return runtime;
}
