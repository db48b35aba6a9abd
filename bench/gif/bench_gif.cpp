// DecodeGif against giflib's DGifSlurp on the same GIFs, in one run; prints
// both medians and their ratio (ours / giflib, lower is better).
//
// The pictures are made here with giflib's encoder: a 142 x 169 picture and
// a 1024 x 768 photo-like one (smooth gradients plus texture), 256 colours each.
#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "image/gif_decoder.h"
#include "tools/memory_surface.h"

namespace {

const int32_t kGifOffset = 57741;

struct Picture {
  const char* name;
  int width;
  int height;
  std::string gifPath;    // the GIF alone, for giflib
  std::string saverPath;  // the GIF at kGifOffset, for DecodeGif
  int32_t size;
};

Picture pictures[] = {{"picture_142x169", 142, 169, "", "", 0}, {"photo_1024x768", 1024, 768, "", "", 0}};

// 256 colours: a 6 x 7 x 6 colour cube and four greys.
void MakePalette(GifColorType* colors) {
  int n = 0;
  for (int r = 0; r < 6; r++)
    for (int g = 0; g < 7; g++)
      for (int b = 0; b < 6; b++) colors[n++] = {(uint8_t)(r * 51), (uint8_t)(g * 42), (uint8_t)(b * 51)};
  for (int i = 0; n < 256; i++) colors[n++] = {(uint8_t)(64 + i * 40), (uint8_t)(64 + i * 40), (uint8_t)(64 + i * 40)};
}

// A landscape: sky gradient, a sun, rolling hills with grass texture and a
// lake, each pixel quantised to the colour cube with a little noise as a
// photo's dither would leave.
std::vector<uint8_t> MakeScene(int width, int height, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> noise(-0.5, 0.5);
  std::vector<uint8_t> pixels((size_t)width * height);
  for (int y = 0; y < height; y++) {
    double v = (double)y / height;
    for (int x = 0; x < width; x++) {
      double u = (double)x / width;
      double r, g, b;
      double hill = 0.55 + 0.08 * std::sin(u * 9.0) + 0.05 * std::sin(u * 23.0 + 1.0);
      if (v < hill) {
        r = 0.35 + 0.4 * v;
        g = 0.55 + 0.3 * v;
        b = 0.95 - 0.2 * v;
        double sun = std::hypot(u - 0.72, v - 0.2);
        if (sun < 0.08) r = g = 1.0, b = 0.7;
        double cloud = std::sin(u * 17.0 + std::sin(v * 13.0)) * std::cos(v * 29.0);
        if (cloud > 0.7) r = g = b = 0.9 + 0.1 * cloud;
      } else if (u > 0.15 && u < 0.45 && v > 0.75) {
        double ripple = 0.05 * std::sin(x * 0.9 + y * 0.3);
        r = 0.1 + ripple;
        g = 0.3 + ripple;
        b = 0.55 + 2 * ripple;
      } else {
        double grass = 0.08 * std::sin(x * 1.7) * std::cos(y * 2.3) + 0.06 * std::sin(x * 0.31 + y * 0.17);
        r = 0.25 + 0.3 * (v - hill) + grass;
        g = 0.5 - 0.2 * (v - hill) + grass;
        b = 0.15 + grass;
      }
      int ri = (int)std::lround(std::min(1.0, std::max(0.0, r)) * 5 + noise(random) * 0.9);
      int gi = (int)std::lround(std::min(1.0, std::max(0.0, g)) * 6 + noise(random) * 0.9);
      int bi = (int)std::lround(std::min(1.0, std::max(0.0, b)) * 5 + noise(random) * 0.9);
      ri = std::min(5, std::max(0, ri));
      gi = std::min(6, std::max(0, gi));
      bi = std::min(5, std::max(0, bi));
      pixels[(size_t)y * width + x] = (uint8_t)((ri * 7 + gi) * 6 + bi);
    }
  }
  return pixels;
}

int WriteToVector(GifFileType* gif, const GifByteType* from, int n) {
  std::vector<uint8_t>* out = (std::vector<uint8_t>*)gif->UserData;
  out->insert(out->end(), from, from + n);
  return n;
}

std::vector<uint8_t> Encode(const std::vector<uint8_t>& pixels, int width, int height) {
  std::vector<uint8_t> out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, WriteToVector, &error);
  GifColorType colors[256];
  MakePalette(colors);
  ColorMapObject* map = GifMakeMapObject(256, colors);
  bool ok = gif != NULL && EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK &&
            EGifPutImageDesc(gif, 0, 0, width, height, false, NULL) == GIF_OK;
  std::vector<uint8_t> row((size_t)width);
  for (int y = 0; ok && y < height; y++) {
    std::copy(pixels.begin() + (long)y * width, pixels.begin() + (long)(y + 1) * width, row.begin());
    ok = EGifPutLine(gif, row.data(), width) == GIF_OK;
  }
  ok = gif != NULL && EGifCloseFile(gif, &error) == GIF_OK && ok;
  GifFreeMapObject(map);
  if (!ok) {
    fprintf(stderr, "bench_gif: encoding failed\n");
    exit(1);
  }
  return out;
}

std::string WriteTemp(const std::vector<uint8_t>& bytes, size_t leading) {
  char name[] = "/tmp/voq-bench-XXXXXX";
  int fd = mkstemp(name);
  std::vector<uint8_t> file(leading, 0);
  file.insert(file.end(), bytes.begin(), bytes.end());
  if (fd < 0 || write(fd, file.data(), file.size()) != (ssize_t)file.size()) {
    perror("bench_gif");
    exit(1);
  }
  close(fd);
  return name;
}

void BM_DecodeGif(benchmark::State& state, Picture* picture) {
  MemorySurface surface(picture->width, picture->height);
  for (auto _ : state) {
    int result = DecodeGif(picture->saverPath.c_str(), &surface, picture->width, picture->height, kGifOffset,
                           picture->size);
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations() * picture->width * picture->height);
}

void BM_DGifSlurp(benchmark::State& state, Picture* picture) {
  for (auto _ : state) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(picture->gifPath.c_str(), &error);
    if (gif == NULL || DGifSlurp(gif) != GIF_OK) state.SkipWithError("giflib failed");
    benchmark::DoNotOptimize(gif->SavedImages);
    DGifCloseFile(gif, &error);
  }
  state.SetItemsProcessed(state.iterations() * picture->width * picture->height);
}

// Keeps the medians (wall clock and CPU time) of every benchmark for the summary.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  struct Median {
    double real;
    double cpu;
  };
  std::map<std::string, Median> medians;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
        medians[run.run_name.function_name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  for (Picture& picture : pictures) {
    std::vector<uint8_t> gif = Encode(MakeScene(picture.width, picture.height, 7), picture.width, picture.height);
    picture.gifPath = WriteTemp(gif, 0);
    picture.saverPath = WriteTemp(gif, kGifOffset);
    picture.size = (int32_t)gif.size();
    printf("%s: %d bytes of GIF\n", picture.name, picture.size);
    for (const char* which : {"DecodeGif", "DGifSlurp"}) {
      std::string name = std::string(which) + "/" + picture.name;
      auto* bench = benchmark::RegisterBenchmark(name.c_str(), which[0] == 'D' && which[1] == 'e' ? BM_DecodeGif
                                                                                                   : BM_DGifSlurp,
                                                 &picture);
      bench->Unit(benchmark::kMicrosecond)->Repetitions(15)->ReportAggregatesOnly(true)->MinTime(0.05);
    }
  }
  // Interleaved repetitions share out the load of a busy machine evenly.
  std::vector<char*> args(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave);
  int count = (int)args.size();
  benchmark::Initialize(&count, args.data());
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // CPU time is the steadier measure on a shared machine; both are shown.
  printf("\nmedians in microseconds; ratio = DecodeGif / DGifSlurp\n");
  printf("%-18s %12s %12s %8s   %12s %12s %8s\n", "picture", "ours cpu", "giflib cpu", "ratio", "ours wall",
         "giflib wall", "ratio");
  for (const Picture& picture : pictures) {
    auto ours = reporter.medians.find(std::string("DecodeGif/") + picture.name);
    auto theirs = reporter.medians.find(std::string("DGifSlurp/") + picture.name);
    if (ours == reporter.medians.end() || theirs == reporter.medians.end()) continue;
    printf("%-18s %12.1f %12.1f %8.3f   %12.1f %12.1f %8.3f\n", picture.name, ours->second.cpu,
           theirs->second.cpu, ours->second.cpu / theirs->second.cpu, ours->second.real, theirs->second.real,
           ours->second.real / theirs->second.real);
  }
  for (const Picture& picture : pictures) {
    unlink(picture.gifPath.c_str());
    unlink(picture.saverPath.c_str());
  }
  benchmark::Shutdown();
  return 0;
}
