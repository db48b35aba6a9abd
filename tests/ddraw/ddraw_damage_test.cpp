// What surfaces know of their pixels: the same show of fills, copies, flips
// and locks gives the same pixels whether the surfaces keep their damage or
// forget it before every step, and what a surface claims to know is true.
#include <string.h>

#include <random>
#include <vector>

#include "ddraw_internal.h"
#include "ddraw_test_support.h"

namespace {

DDrawSurface* Inside(LPDIRECTDRAWSURFACE surface) { return static_cast<DDrawSurface*>(surface); }

// A digest of every pixel, read without a lock (which would forget the damage).
uint64_t Digest(LPDIRECTDRAWSURFACE surface) {
  const DDrawSurface* s = Inside(surface);
  uint64_t digest = 14695981039346656037ull;
  for (int y = 0; y < s->height; y++)
    for (int x = 0; x < s->width; x++) digest = (digest ^ s->pixels[y * s->pitch + x]) * 1099511628211ull;
  return digest;
}

// A claim of known pixels that is false: a pixel outside every rectangle
// that is not the fill; empty when the claim holds or nothing is claimed.
std::string FalseClaim(LPDIRECTDRAWSURFACE surface) {
  const DDrawSurface* s = Inside(surface);
  if (!s->damage.known) return "";
  std::vector<bool> inside((size_t)s->width * s->height);
  for (int i = 0; i < s->damage.count; i++) {
    const RECT& r = s->damage.rects[i];
    for (LONG y = r.top; y < r.bottom; y++)
      for (LONG x = r.left; x < r.right; x++) inside[(size_t)y * s->width + x] = true;
  }
  for (int y = 0; y < s->height; y++)
    for (int x = 0; x < s->width; x++) {
      BYTE value = s->pixels[y * s->pitch + x];
      if (!inside[(size_t)y * s->width + x] && value != s->damage.fill)
        return "(" + std::to_string(x) + "," + std::to_string(y) + ") is " + std::to_string(value) +
               ", not " + std::to_string(s->damage.fill);
    }
  return "";
}

RECT RandomRect(std::mt19937& random, int width, int height) {
  LONG left = (LONG)(random() % width), top = (LONG)(random() % height);
  LONG right = left + 1 + (LONG)(random() % (width - left)), bottom = top + 1 + (LONG)(random() % (height - top));
  return RECT{left, top, right, bottom};
}

class Damage : public FullScreen {
 protected:
  // Runs the same random show; forgetful runs lock every surface before each
  // step. Returns a digest of every surface's pixels after every step.
  std::vector<uint64_t> Run(bool forgetful) {
    std::vector<uint64_t> seen;
    LPDIRECTDRAWSURFACE picture = MakeOffscreen(dd, 640, 480), sprite = MakeOffscreen(dd, 90, 70);
    DDCOLORKEY key = {7, 7};
    sprite->SetColorKey(DDCKEY_SRCBLT, &key);
    WritePixels(sprite, [](int x, int y) { return (BYTE)((x / 9 + y / 7) % 3 == 0 ? 7 : x * y); });
    LPDIRECTDRAWSURFACE all[] = {primary, back, picture, sprite};
    std::mt19937 random(5);
    for (int step = 0; step < 400; step++) {
      if (forgetful)
        for (LPDIRECTDRAWSURFACE s : all) {
          DDSURFACEDESC desc = EmptyDescription();
          s->Lock(nullptr, &desc, 0, nullptr);
          s->Unlock(desc.lpSurface);
        }
      // Few fill values, so that fills often meet what a surface holds.
      BYTE value = (BYTE)(random() % 3);
      LPDIRECTDRAWSURFACE screens[] = {primary, back, picture};
      LPDIRECTDRAWSURFACE target = screens[random() % 3], other = screens[random() % 3];
      RECT to = RandomRect(random, 640, 480), from = RandomRect(random, 90, 70);
      switch (random() % 9) {
        case 0:
        case 1:
          FillSurface(target, nullptr, value);
          break;
        case 2:
          FillSurface(target, &to, value);
          break;
        case 3:
        case 4:
          // The windowed show: the whole back buffer onto the whole screen.
          target->Blt(nullptr, other, nullptr, DDBLT_WAIT, nullptr);
          break;
        case 5:
          target->Blt(&to, sprite, &from, DDBLT_WAIT, nullptr);
          break;
        case 6:
          target->BltFast((DWORD)(random() % 550), (DWORD)(random() % 410), sprite, &from,
                          random() % 2 ? DDBLTFAST_SRCCOLORKEY : 0);
          break;
        case 7:
          primary->Flip(nullptr, DDFLIP_WAIT);
          break;
        case 8: {
          DDSURFACEDESC desc = EmptyDescription();
          target->Lock(&to, &desc, 0, nullptr);
          ((BYTE*)desc.lpSurface)[0] = value;
          target->Unlock(desc.lpSurface);
          break;
        }
      }
      for (LPDIRECTDRAWSURFACE s : all) {
        std::string claim = FalseClaim(s);
        if (!claim.empty()) ADD_FAILURE() << "step " << step << ": " << claim;
        seen.push_back(Digest(s));
      }
      if (HasFailure()) break;
    }
    picture->Release();
    sprite->Release();
    return seen;
  }
};

TEST_F(Damage, KeepingItChangesNoPixelAndWhatIsClaimedHolds) {
  std::vector<uint64_t> kept = Run(false);
  ASSERT_FALSE(HasFailure());
  FillSurface(primary, nullptr, 0);
  FillSurface(back, nullptr, 0);
  std::vector<uint64_t> forgotten = Run(true);
  ASSERT_EQ(kept.size(), forgotten.size());
  for (size_t i = 0; i < kept.size(); i++)
    ASSERT_EQ(kept[i], forgotten[i]) << "step " << i / 4 << ", surface " << i % 4;
}

}  // namespace
