// One frame of the show, drawn as the program draws it: clear the back
// buffer, then 50 copies of a 142 x 169 picture, each scaled to 94 x 112
// through the scratch surface (fill 255, scaled copy, keyed fast copy), the
// copies a pixel further on each frame as the show moves them; then what
// presentation does with the frame on a 1920 x 1080 x 32 window surface
// (PaintFrame: compare with the frame before, convert and scale what
// changed), without sending it to the display. The same frame with SDL's own
// calls on 8-bit surfaces runs alongside, its presentation a scaled blit of
// the whole frame; the summary gives the medians, the share of a 60 Hz
// refresh, the ratio, and the allocations made while frames were drawn.
//
//   build/linux/bench/frame/frame_bench
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <ddraw.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "frame_paint.h"

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void* __libc_memalign(size_t, size_t);

namespace {

// Allocations are counted only while frames are being drawn.
bool counting;
long allocations;

}  // namespace

// Every allocation of the process (operator new included, and SDL's) comes here.
extern "C" void* malloc(size_t size) {
  allocations += counting;
  return __libc_malloc(size);
}
extern "C" void* calloc(size_t count, size_t size) {
  allocations += counting;
  return __libc_calloc(count, size);
}
extern "C" void* realloc(void* memory, size_t size) {
  allocations += counting;
  return __libc_realloc(memory, size);
}
extern "C" void* memalign(size_t alignment, size_t size) {
  allocations += counting;
  return __libc_memalign(alignment, size);
}
extern "C" int posix_memalign(void** memory, size_t alignment, size_t size) {
  allocations += counting;
  *memory = __libc_memalign(alignment, size);
  return *memory != nullptr ? 0 : ENOMEM;
}
extern "C" void* aligned_alloc(size_t alignment, size_t size) {
  allocations += counting;
  return __libc_memalign(alignment, size);
}

namespace {

const int kPictureWidth = 142, kPictureHeight = 169;
const int kCopyWidth = 94, kCopyHeight = 112;
const int kCopies = 50;
const BYTE kKey = 0;
const BYTE kBackground = 17;
const double kRefreshMs = 1000.0 / 60.0;

// A picture with a transparent surround, as a keyed GIF has.
BYTE PictureAt(int x, int y) {
  int dx = x - kPictureWidth / 2, dy = y - kPictureHeight / 2;
  if (dx * dx * 4 + dy * dy * 3 > kPictureWidth * kPictureWidth) return kKey;
  return (BYTE)(1 + (x * 3 + y * 5) % 250);
}

const int kWindowWidth = 1920, kWindowHeight = 1080;
// The 640 x 480 frame scaled to fit the window: 1440 x 1080 between bars.
const SDL_Rect kFit = {240, 0, 1440, 1080};

// Copy i in frame n: each frame moves every copy one pixel on.
POINT CopyPosition(int i, long n) {
  return {(LONG)((i * 53 + n) % (640 - kCopyWidth)), (LONG)((i * 37 + n) % (480 - kCopyHeight))};
}

std::vector<PALETTEENTRY> ShowPalette() {
  std::vector<PALETTEENTRY> palette(256);
  for (int i = 0; i < 256; i++) palette[i] = {(BYTE)i, (BYTE)(i * 5), (BYTE)(255 - i), 0};
  return palette;
}

void Stop(benchmark::State& state, const char* what) { state.SkipWithError(what); }

void EndCounting(benchmark::State& state, long before) {
  counting = false;
  state.counters["allocs_per_frame"] = (double)(allocations - before) / (double)state.iterations();
}

void BM_SoftwareDirectDraw(benchmark::State& state) {
  static int windowStandIn;
  LPDIRECTDRAW dd = nullptr;
  LPDIRECTDRAWSURFACE primary = nullptr, back = nullptr, picture = nullptr, scratch = nullptr;
  LPDIRECTDRAWPALETTE palette = nullptr;
  if (DirectDrawCreate(nullptr, &dd, nullptr) != DD_OK) return Stop(state, "DirectDrawCreate");
  dd->SetCooperativeLevel((HWND)&windowStandIn, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
  dd->SetDisplayMode(640, 480, 8);
  DDSURFACEDESC desc;
  memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  if (dd->CreateSurface(&desc, &primary, nullptr) != DD_OK) return Stop(state, "CreateSurface chain");
  DDSCAPS caps = {DDSCAPS_BACKBUFFER};
  primary->GetAttachedSurface(&caps, &back);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  desc.dwWidth = kPictureWidth;
  desc.dwHeight = kPictureHeight;
  dd->CreateSurface(&desc, &picture, nullptr);
  desc.dwWidth = kPictureWidth + 20;
  desc.dwHeight = kPictureHeight + 20;
  dd->CreateSurface(&desc, &scratch, nullptr);
  if (back == nullptr || picture == nullptr || scratch == nullptr) return Stop(state, "surfaces");
  std::vector<PALETTEENTRY> colors = ShowPalette();
  dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, colors.data(), &palette, nullptr);
  primary->SetPalette(palette);
  DDCOLORKEY key = {kKey, 0};
  picture->SetColorKey(DDCKEY_SRCBLT, &key);
  scratch->SetColorKey(DDCKEY_SRCBLT, &key);
  DDSURFACEDESC locked;
  memset(&locked, 0, sizeof locked);
  locked.dwSize = sizeof locked;
  picture->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr);
  for (int y = 0; y < kPictureHeight; y++)
    for (int x = 0; x < kPictureWidth; x++) ((BYTE*)locked.lpSurface)[y * locked.lPitch + x] = PictureAt(x, y);
  picture->Unlock(locked.lpSurface);
  SDL_Surface* window = SDL_CreateRGBSurfaceWithFormat(0, kWindowWidth, kWindowHeight, 32, SDL_PIXELFORMAT_XRGB8888);
  if (window == nullptr) return Stop(state, SDL_GetError());
  static FramePainter painter;
  SetPaintTarget(&painter, window);

  DDBLTFX background, white;
  memset(&background, 0, sizeof background);
  background.dwSize = sizeof background;
  background.dwFillColor = kBackground;
  white = background;
  white.dwFillColor = 255;
  RECT whole = {0, 0, kPictureWidth, kPictureHeight}, copy = {0, 0, kCopyWidth, kCopyHeight};
  long before = allocations, frame = 0;
  counting = true;
  for (auto _ : state) {
    frame++;
    back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &background);
    for (int i = 0; i < kCopies; i++) {
      POINT at = CopyPosition(i, frame);
      scratch->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &white);
      scratch->Blt(&copy, picture, &whole, DDBLT_ALPHAEDGEBLEND, nullptr);
      back->BltFast(at.x, at.y, scratch, &copy, DDBLTFAST_SRCCOLORKEY);
    }
    back->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr);
    PaintFrame(&painter, (const BYTE*)locked.lpSurface, locked.lPitch, 640, 480, colors.data(), nullptr);
    back->Unlock(locked.lpSurface);
    benchmark::DoNotOptimize(window->pixels);
    benchmark::ClobberMemory();
  }
  EndCounting(state, before);
  FreePainter(&painter);
  SDL_FreeSurface(window);
  scratch->Release();
  picture->Release();
  primary->Release();
  palette->Release();
  dd->Release();
}

void BM_SdlOwnCalls(benchmark::State& state) {
  SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 8, SDL_PIXELFORMAT_INDEX8);
  SDL_Surface* picture =
      SDL_CreateRGBSurfaceWithFormat(0, kPictureWidth, kPictureHeight, 8, SDL_PIXELFORMAT_INDEX8);
  SDL_Surface* scratch =
      SDL_CreateRGBSurfaceWithFormat(0, kPictureWidth + 20, kPictureHeight + 20, 8, SDL_PIXELFORMAT_INDEX8);
  SDL_Surface* shown = SDL_CreateRGBSurfaceWithFormat(0, kWindowWidth, kWindowHeight, 32, SDL_PIXELFORMAT_XRGB8888);
  SDL_Palette* palette = SDL_AllocPalette(256);
  if (!screen || !picture || !scratch || !shown || !palette) return Stop(state, SDL_GetError());
  std::vector<PALETTEENTRY> entries = ShowPalette();
  std::vector<SDL_Color> colors(256);
  for (int i = 0; i < 256; i++) colors[i] = {entries[i].peRed, entries[i].peGreen, entries[i].peBlue, 255};
  SDL_SetPaletteColors(palette, colors.data(), 0, 256);
  // One palette for all, so that copies between them move indices unchanged.
  for (SDL_Surface* surface : {screen, picture, scratch}) SDL_SetSurfacePalette(surface, palette);
  SDL_SetColorKey(scratch, SDL_TRUE, kKey);
  for (int y = 0; y < kPictureHeight; y++)
    for (int x = 0; x < kPictureWidth; x++) ((Uint8*)picture->pixels)[y * picture->pitch + x] = PictureAt(x, y);

  SDL_Rect copy = {0, 0, kCopyWidth, kCopyHeight};
  long before = allocations, frame = 0;
  counting = true;
  for (auto _ : state) {
    frame++;
    SDL_FillRect(screen, nullptr, kBackground);
    for (int i = 0; i < kCopies; i++) {
      POINT at = CopyPosition(i, frame);
      SDL_Rect to = {(int)at.x, (int)at.y, kCopyWidth, kCopyHeight};
      SDL_Rect scaled = copy;
      SDL_FillRect(scratch, nullptr, 255);
      SDL_BlitScaled(picture, nullptr, scratch, &scaled);
      SDL_BlitSurface(scratch, &copy, screen, &to);
    }
    SDL_Rect fit = kFit;
    SDL_BlitScaled(screen, nullptr, shown, &fit);
    benchmark::DoNotOptimize(shown->pixels);
    benchmark::ClobberMemory();
  }
  EndCounting(state, before);
  SDL_FreeSurface(shown);
  SDL_FreeSurface(scratch);
  SDL_FreeSurface(picture);
  SDL_FreeSurface(screen);
  SDL_FreePalette(palette);
}

BENCHMARK(BM_SoftwareDirectDraw)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_SdlOwnCalls)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The console report, then the summary from the medians.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median") continue;
      std::string name = run.run_name.function_name;
      medianMs[name] = run.GetAdjustedRealTime() / 1000.0;
      medianCpuMs[name] = run.GetAdjustedCPUTime() / 1000.0;
      auto allocs = run.counters.find("allocs_per_frame");
      if (allocs != run.counters.end()) allocsPerFrame[name] = allocs->second.value;
    }
  }
  // Wall time counts whatever else the machine runs; CPU time is the frame's own.
  void Summarise() {
    printf("\nframe (clear, %d scaled keyed copies of %dx%d at %dx%d, painted on a %dx%d 32-bit window surface):\n",
           kCopies, kPictureWidth, kPictureHeight, kCopyWidth, kCopyHeight, kWindowWidth, kWindowHeight);
    Line("software DirectDraw", "BM_SoftwareDirectDraw");
    Line("SDL's own calls", "BM_SdlOwnCalls");
    double ours = medianMs["BM_SoftwareDirectDraw"], sdl = medianMs["BM_SdlOwnCalls"];
    double oursCpu = medianCpuMs["BM_SoftwareDirectDraw"], sdlCpu = medianCpuMs["BM_SdlOwnCalls"];
    if (sdl > 0 && sdlCpu > 0)
      printf("  ratio software DirectDraw / SDL: %.2f wall, %.2f CPU (bar: at most 1 ms per frame, ratio at most 1.00)\n",
             ours / sdl, oursCpu / sdlCpu);
  }

 private:
  void Line(const char* label, const char* name) {
    double wall = medianMs[name], cpu = medianCpuMs[name];
    printf("  %-20s median %.3f ms wall (%.1f%% of a %.1f ms refresh), %.3f ms CPU (%.1f%%), %.2f allocations per frame\n",
           label, wall, 100.0 * wall / kRefreshMs, kRefreshMs, cpu, 100.0 * cpu / kRefreshMs, allocsPerFrame[name]);
  }

  std::map<std::string, double> medianMs, medianCpuMs, allocsPerFrame;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.Summarise();
  benchmark::Shutdown();
  return 0;
}
