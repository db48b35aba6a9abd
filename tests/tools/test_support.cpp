#include "test_support.h"

#include <dirent.h>
#include <sys/stat.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include <gtest/gtest.h>

#include "tests/lib/giflib_writer.h"

ProcessResult RunTool(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv = {VOQ_MAKE_PATH};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return RunProcess(argv, {}, 120);
}

bool SaversRun() {
  struct stat info;
  return stat(VOQ_BUILT_RUNTIME_PATH, &info) == 0 && info.st_size <= 57344;
}

const std::string& TestRuntime() {
  static TemporaryFolder folder;
  static std::string path;
  if (path.empty()) {
    if (SaversRun()) {
      path = VOQ_BUILT_RUNTIME_PATH;
    } else {
      path = folder.Path() + "/stand-in-runtime";
      Bytes program(4096, 0);
      program[0] = 0x7f, program[1] = 'E', program[2] = 'L', program[3] = 'F';
      WriteBytes(path, program);
    }
  }
  return path;
}

std::set<std::string> FolderEntries(const std::string& folder) {
  std::set<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.insert(name);
  }
  closedir(dir);
  return names;
}

uint8_t TestGifPixel(const TestGifRecipe& recipe, int x, int y) {
  return (uint8_t)((x + 3 * y) % recipe.tableEntries);
}

Bytes MakeTestGif(const TestGifRecipe& recipe) {
  GiflibPicture picture;
  picture.width = recipe.width;
  picture.height = recipe.height;
  for (int y = 0; y < recipe.height; y++)
    for (int x = 0; x < recipe.width; x++) picture.pixels.push_back(TestGifPixel(recipe, x, y));
  for (int i = 0; i < recipe.tableEntries; i++)
    picture.colors.insert(picture.colors.end(), {(uint8_t)i, (uint8_t)(255 - i), (uint8_t)(7 * i % 256)});
  picture.globalTable = recipe.globalTable;
  picture.localTable = recipe.localTable;
  picture.interlace = recipe.interlace;
  picture.comment = recipe.comment;
  picture.transparentIndex = recipe.transparentIndex;
  return GiflibWrite(picture);
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("cannot write " + path);
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

int32_t Int32At(const Bytes& bytes, size_t at) {
  return (int32_t)((uint32_t)bytes.at(at) | ((uint32_t)bytes.at(at + 1) << 8) |
                   ((uint32_t)bytes.at(at + 2) << 16) | ((uint32_t)bytes.at(at + 3) << 24));
}

std::map<std::string, std::string> ReportLines(const std::string& text) {
  std::map<std::string, std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    size_t colon = line.find(": ");
    if (colon != std::string::npos) lines[line.substr(0, colon)] = line.substr(colon + 2);
    start = end + 1;
  }
  return lines;
}

void BuildTestSaver(const std::string& gifPath, const std::string& saverPath,
                    const std::vector<std::string>& extra) {
  std::vector<std::string> arguments = {"build", "--runtime", TestRuntime(), "--picture", gifPath,
                                        "--output", saverPath};
  arguments.insert(arguments.end(), extra.begin(), extra.end());
  ProcessResult run = RunTool(arguments);
  ASSERT_EQ(run.exitCode, 0) << run.errors;
}

void WritePicture(const std::string& path, const RgbaImage& image) {
  std::string extension = ExtensionOf(path);
  const uint8_t* pixels = image.rgba.data();
  int ok = 0;
  if (extension == "png") ok = stbi_write_png(path.c_str(), image.width, image.height, 4, pixels, image.width * 4);
  if (extension == "jpg") ok = stbi_write_jpg(path.c_str(), image.width, image.height, 4, pixels, 92);
  if (extension == "bmp") ok = stbi_write_bmp(path.c_str(), image.width, image.height, 4, pixels);
  if (extension == "tga") ok = stbi_write_tga(path.c_str(), image.width, image.height, 4, pixels);
  if (!ok) throw std::runtime_error("cannot write " + path);
}

RgbaImage PhotoLike(int width, int height) {
  RgbaImage image;
  image.width = width;
  image.height = height;
  image.rgba.resize((size_t)width * height * 4);
  uint32_t grain = 12345;
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      double u = (double)x / width, v = (double)y / height;
      double sky = 0.5 + 0.5 * std::cos(3.1 * v);
      double sun = std::exp(-((u - 0.7) * (u - 0.7) + (v - 0.3) * (v - 0.3)) * 30);
      double hill = v > 0.6 + 0.1 * std::sin(7 * u) ? 1.0 : 0.0;
      grain = grain * 1664525u + 1013904223u;
      double noise = ((grain >> 24) / 255.0 - 0.5) * 0.06;
      double r = 0.3 * sky + 0.9 * sun + 0.2 * hill + noise;
      double g = 0.5 * sky + 0.7 * sun + 0.45 * hill + noise;
      double b = 0.9 * sky + 0.2 * sun - 0.3 * hill + noise;
      uint8_t* p = &image.rgba[((size_t)y * width + x) * 4];
      p[0] = (uint8_t)std::lround(std::clamp(r, 0.0, 1.0) * 255);
      p[1] = (uint8_t)std::lround(std::clamp(g, 0.0, 1.0) * 255);
      p[2] = (uint8_t)std::lround(std::clamp(b, 0.0, 1.0) * 255);
      p[3] = 255;
    }
  }
  return image;
}

RgbaImage TransparentLogo(int width, int height) {
  RgbaImage image;
  image.width = width;
  image.height = height;
  image.rgba.resize((size_t)width * height * 4);
  double cx = width / 2.0, cy = height / 2.0, outer = std::min(width, height) * 0.4, inner = outer * 0.45;
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      double px = x + 0.5, py = y + 0.5;
      double r = std::hypot(px - cx, py - cy);
      // Coverage with a one-pixel soft edge.
      double ring = std::clamp(outer - r + 0.5, 0.0, 1.0) * std::clamp(r - inner + 0.5, 0.0, 1.0);
      double bar = std::clamp(3.5 - std::fabs(py - cy), 0.0, 1.0) * (std::fabs(px - cx) < width * 0.48 ? 1 : 0);
      double alpha = std::max(ring, bar);
      uint8_t* p = &image.rgba[((size_t)y * width + x) * 4];
      p[0] = (uint8_t)(40 + 200 * px / width);
      p[1] = (uint8_t)(bar > ring ? 220 : 60);
      p[2] = (uint8_t)(200 - 150 * py / height);
      p[3] = (uint8_t)std::lround(alpha * 255);
    }
  }
  return image;
}

std::string Expand(std::string text, const std::string& folder) {
  for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + folder.size()))
    text.replace(at, 1, folder);
  return text;
}

void ExpectRefusal(const std::string& folder, const std::vector<std::string>& arguments,
                   const std::string& message, int exitCode) {
  std::set<std::string> before = FolderEntries(folder);
  std::vector<std::string> expanded;
  for (const auto& argument : arguments) expanded.push_back(Expand(argument, folder));
  ProcessResult run = RunTool(expanded);
  if (exitCode == 0)
    EXPECT_NE(run.exitCode, 0);
  else
    EXPECT_EQ(run.exitCode, exitCode);
  EXPECT_EQ(run.signal, 0);
  std::string expected = Expand(message, folder);
  EXPECT_EQ(run.errors.rfind("voq-make: error: ", 0), 0u) << run.errors;
  EXPECT_NE(run.errors.find(expected), std::string::npos) << "got: " << run.errors << "wanted: " << expected;
  EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
  EXPECT_EQ(FolderEntries(folder), before) << "an output or temporary file was left, or one went";
}

IndexedPicture PatternPicture(int width, int height) {
  IndexedPicture picture;
  picture.width = width;
  picture.height = height;
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) picture.indices.push_back((uint8_t)(x * 31 + y * 7));
  for (int i = 0; i < 256; i++) picture.palette[i] = {(uint8_t)(255 - i), (uint8_t)i, (uint8_t)(i * 3)};
  return picture;
}
