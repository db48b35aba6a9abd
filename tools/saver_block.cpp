#include "saver_block.h"

#include <cstring>
#include <filesystem>

#include "install_layout.h"
#include "tool_error.h"

namespace {

int32_t TakeInt32(const uint8_t* at) {
  return (int32_t)((uint32_t)at[0] | ((uint32_t)at[1] << 8) | ((uint32_t)at[2] << 16) |
                   ((uint32_t)at[3] << 24));
}

void PutInt32(uint8_t* at, int32_t value) {
  uint32_t bits = (uint32_t)value;
  for (int i = 0; i < 4; i++) at[i] = (uint8_t)(bits >> (8 * i));
}

// Byte positions inside the header.
constexpr int kFormatVersionAt = 18;
constexpr int kSlotsAt = 22;
constexpr int kObjectCountAt = 127;
constexpr int kBytes128At = 128;
constexpr int kByte136At = 136;
constexpr int kUseBackgroundAt = 137;
constexpr int kBackgroundIndexAt = 138;
constexpr int kByte139At = 139;
constexpr int kByte140At = 140;
constexpr int kTailAt = 141;

}  // namespace

RawHeader DecodeRawHeader(const uint8_t* bytes) {
  RawHeader header;
  std::memcpy(header.magic, bytes, kSaverMagicLength);
  header.formatVersion = TakeInt32(bytes + kFormatVersionAt);
  for (int i = 0; i < kImageSlotCount; i++) {
    const uint8_t* at = bytes + kSlotsAt + i * kImageSlotSize;
    RawSlot& slot = header.slots[i];
    slot.width = TakeInt32(at);
    slot.height = TakeInt32(at + 4);
    slot.colorKey = TakeInt32(at + 8);
    slot.offset = TakeInt32(at + 12);
    slot.size = TakeInt32(at + 16);
    slot.type = at[20];
  }
  header.objectCount = bytes[kObjectCountAt];
  std::memcpy(header.bytes128, bytes + kBytes128At, sizeof header.bytes128);
  header.byte136 = bytes[kByte136At];
  header.useBackground = bytes[kUseBackgroundAt];
  header.backgroundIndex = bytes[kBackgroundIndexAt];
  header.byte139 = bytes[kByte139At];
  header.byte140 = bytes[kByte140At];
  std::memcpy(header.tail, bytes + kTailAt, sizeof header.tail);
  return header;
}

Bytes EncodeRawHeader(const RawHeader& header) {
  Bytes bytes(kSaverHeaderSize, 0);
  std::memcpy(bytes.data(), header.magic, kSaverMagicLength);
  PutInt32(&bytes[kFormatVersionAt], header.formatVersion);
  for (int i = 0; i < kImageSlotCount; i++) {
    uint8_t* at = &bytes[kSlotsAt + i * kImageSlotSize];
    const RawSlot& slot = header.slots[i];
    PutInt32(at, slot.width);
    PutInt32(at + 4, slot.height);
    PutInt32(at + 8, slot.colorKey);
    PutInt32(at + 12, slot.offset);
    PutInt32(at + 16, slot.size);
    at[20] = slot.type;
  }
  bytes[kObjectCountAt] = header.objectCount;
  std::memcpy(&bytes[kBytes128At], header.bytes128, sizeof header.bytes128);
  bytes[kByte136At] = header.byte136;
  bytes[kUseBackgroundAt] = header.useBackground;
  bytes[kBackgroundIndexAt] = header.backgroundIndex;
  bytes[kByte139At] = header.byte139;
  bytes[kByte140At] = header.byte140;
  std::memcpy(&bytes[kTailAt], header.tail, sizeof header.tail);
  return bytes;
}

RawHeader MakeHeader(int32_t width, int32_t height, int32_t gifSize, const ShowSettings& show) {
  RawHeader header;
  std::memcpy(header.magic, kSaverMagic, kSaverMagicLength);
  header.formatVersion = kBlockFormatVersion;
  RawSlot& picture = header.slots[0];
  picture.width = width;
  picture.height = height;
  picture.colorKey = show.colorKey;
  picture.offset = kGifFileOffset;
  picture.size = gifSize;
  picture.type = 'g';
  // The unused slots point at the end of the file and hold nothing.
  int32_t fileSize = kGifFileOffset + gifSize;
  for (int i = 1; i < kImageSlotCount; i++) {
    header.slots[i] = RawSlot();
    header.slots[i].offset = fileSize;
  }
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

Bytes MakeBlock(const RawHeader& header, const Bytes& gif) {
  Bytes block = EncodeRawHeader(header);
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
  std::string folder = ToolFolder();
  std::string path = folder + "/voq";
  if (target == Target::kWindows32) path = folder + "/../win32/voq.exe";
  if (target == Target::kWindows64) path = folder + "/../win64/voq.exe";
  if (std::string installed = InstalledRuntimePath(target); !installed.empty()) path = installed;
  std::error_code ignored;
  std::string tidy = std::filesystem::weakly_canonical(path, ignored).string();
  return tidy.empty() ? path : tidy;
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
