// Draws the sample pictures and writes them as GIFs with giflib:
//   quill.gif  142 x 169, a quill on a card; shown with 9 objects on the dark
//              grey of entry 12
//   gear.gif   128 x 128, a perforated cog; entry 0 is its transparent colour
// Everything is computed here with plain arithmetic (no trigonometry from the
// C library), so the same program writes the same bytes everywhere.
//
// usage: make_samples OUTPUT_FOLDER
#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Colour {
  double r, g, b;
};

Colour Mix(Colour a, Colour b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

using Palette = std::array<GifColorType, 256>;

GifColorType Entry(Colour c) {
  auto channel = [](double v) { return (GifByteType)std::clamp((int)(v + 0.5), 0, 255); };
  return {channel(c.r), channel(c.g), channel(c.b)};
}

using Stops = std::vector<Colour>;

// The colour at t (0..1) of a ramp through stops.
Colour RampAt(const Stops& stops, double t) {
  double scaled = std::clamp(t, 0.0, 1.0) * (stops.size() - 1);
  size_t at = std::min((size_t)scaled, stops.size() - 2);
  return Mix(stops[at], stops[at + 1], scaled - at);
}

// Fills entries first..last with a ramp through stops.
void Ramp(Palette& palette, int first, int last, const Stops& stops) {
  for (int i = first; i <= last; i++)
    palette[i] = Entry(RampAt(stops, last == first ? 0 : (double)(i - first) / (last - first)));
}

int Nearest(const Palette& palette, Colour c, int first = 0, int last = 255) {
  int best = first;
  double bestDistance = 1e30;
  for (int i = first; i <= last; i++) {
    double dr = palette[i].Red - c.r, dg = palette[i].Green - c.g, db = palette[i].Blue - c.b;
    double distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

double Fract(double v) { return v - std::floor(v); }
double Smooth(double edge0, double edge1, double v) {
  double t = std::clamp((v - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// ---- The quill ---------------------------------------------------------

const int kQuillWidth = 142;
const int kQuillHeight = 169;
const int kCream = 1;        // 1..11
const int kDarkGrey = 12;    // the saver's background
const int kFeather = 13;     // 13..140
const int kAmber = 141;      // 141..220
const int kGrey = 221;       // 221..254
const int kBlack = 255;      // the only entry whose channels sum to 0

const Stops kCreamStops = {{252, 246, 230}, {236, 224, 196}, {214, 198, 164}};
const Stops kFeatherStops = {{22, 30, 84}, {30, 92, 140}, {44, 150, 150}, {150, 214, 206}, {226, 246, 240}};
const Stops kAmberStops = {{96, 52, 14}, {184, 112, 30}, {236, 178, 76}, {252, 226, 160}};
const Stops kGreyStops = {{36, 36, 40}, {120, 118, 120}, {246, 240, 226}};

Palette QuillPalette() {
  Palette palette{};
  palette[0] = {255, 255, 255};
  Ramp(palette, kCream, 11, kCreamStops);
  palette[kDarkGrey] = {24, 24, 24};
  Ramp(palette, kFeather, 140, kFeatherStops);
  Ramp(palette, kAmber, 220, kAmberStops);
  Ramp(palette, kGrey, 254, kGreyStops);
  palette[kBlack] = {0, 0, 0};
  return palette;
}

struct Point {
  double x, y;
};

// The shaft: a quadratic curve from the nib (t = 0) to the tip (t = 1).
const Point kNib = {34, 150};
const Point kBend = {44, 58};
const Point kTip = {124, 12};
const int kCurveSamples = 600;

Point CurveAt(double t) {
  double u = 1 - t;
  return {u * u * kNib.x + 2 * u * t * kBend.x + t * t * kTip.x,
          u * u * kNib.y + 2 * u * t * kBend.y + t * t * kTip.y};
}

struct CurveHit {
  double t;         // where on the shaft
  double distance;  // from the shaft
  double side;      // > 0 left of the direction nib to tip
  double along;     // arc length from the nib, in pixels
};

struct Curve {
  std::vector<Point> points;
  std::vector<double> lengths;
  Curve() {
    double length = 0;
    for (int i = 0; i <= kCurveSamples; i++) {
      Point p = CurveAt((double)i / kCurveSamples);
      if (i > 0) length += std::hypot(p.x - points.back().x, p.y - points.back().y);
      points.push_back(p);
      lengths.push_back(length);
    }
  }
  CurveHit Nearest(Point q) const {
    int best = 0;
    double bestDistance = 1e30;
    for (int i = 0; i <= kCurveSamples; i++) {
      double dx = q.x - points[i].x, dy = q.y - points[i].y;
      double distance = dx * dx + dy * dy;
      if (distance < bestDistance) {
        bestDistance = distance;
        best = i;
      }
    }
    int next = std::min(best + 1, kCurveSamples), previous = std::max(best - 1, 0);
    double tx = points[next].x - points[previous].x, ty = points[next].y - points[previous].y;
    double side = tx * (q.y - points[best].y) - ty * (q.x - points[best].x);
    return {(double)best / kCurveSamples, std::sqrt(bestDistance), side, lengths[best]};
  }
};

// How far the vane reaches from the shaft on one side at t.
double VaneWidth(double t, double widest) {
  if (t < 0.2 || t > 0.995) return 0;
  double u = (t - 0.2) / 0.795;
  double body = std::sqrt(std::max(0.0, 4 * u * (1 - u)));
  return widest * body * (1 - 0.25 * u);
}

// Colour of the quill at q, or no colour (false) where the card shows.
bool QuillAt(const Curve& curve, Point q, Colour* out, bool* isInk) {
  *isInk = false;
  CurveHit hit = curve.Nearest(q);
  bool left = hit.side < 0;  // y grows downwards
  double widest = left ? 25 : 17;
  double width = VaneWidth(hit.t, widest);

  // Nib: a short blade beyond the shaft's start, with its slit.
  Point tangent = {kBend.x - kNib.x, kBend.y - kNib.y};
  double tangentLength = std::hypot(tangent.x, tangent.y);
  tangent = {tangent.x / tangentLength, tangent.y / tangentLength};
  double back = -((q.x - kNib.x) * tangent.x + (q.y - kNib.y) * tangent.y);  // along the blade
  double across = (q.x - kNib.x) * -tangent.y + (q.y - kNib.y) * tangent.x;
  if (back > -14 && back < 12) {
    double bladeHalf = 3.2 * (12 - back) / 26 + (back < 0 ? 0.6 : 0);
    if (std::fabs(across) < bladeHalf) {
      if (back > 0 && back < 8 && std::fabs(across) < 0.45) {
        *out = {0, 0, 0};
      } else {
        double shine = 0.35 + 0.5 * Smooth(-bladeHalf, bladeHalf, across);
        *out = RampAt(kGreyStops, shine);
      }
      return true;
    }
  }

  // Shaft.
  double shaftHalf = 1.5 - 1.1 * hit.t;
  if (hit.t > 0.02 && hit.distance < shaftHalf) {
    *out = RampAt(kGreyStops, 0.95 - 0.25 * hit.distance / shaftHalf);
    return true;
  }

  // Vanes: barbs run out from the shaft, slanted towards the tip, with a
  // few splits where the card shows through.
  if (hit.distance < width) {
    double reach = hit.distance / width;
    double barb = hit.along + hit.distance * 0.9;
    double split = Fract(barb / 23.0 + (left ? 0.0 : 0.37));
    if (reach > 0.45 && split < 0.045 + 0.06 * reach) return false;
    double ridge = std::fabs(Fract(barb / 2.6) - 0.5) * 2;  // 0 on a barb line
    double light = 0.25 + 0.55 * (1 - reach) * (0.6 + 0.4 * hit.t) + 0.2 * ridge;
    if (!left) light *= 0.82;
    double tipBand = Smooth(0.80, 0.86, hit.t) * (1 - Smooth(0.93, 0.97, hit.t));
    *out = tipBand > 0.5 ? RampAt(kAmberStops, light) : RampAt(kFeatherStops, light);
    return true;
  }

  // A written line, leaving the nib towards the right.
  double lineX = q.x - (kNib.x + 10);
  if (lineX > 0 && lineX < 92) {
    double f = Fract(lineX / 13.0);
    double wave = 4 * f * (1 - f) * ((int)std::floor(lineX / 13.0) % 2 == 0 ? 1 : -0.6);
    double fade = 1 - Smooth(60, 92, lineX);
    double centre = kNib.y + 11 + 4.5 * wave - 0.05 * lineX;
    if (std::fabs(q.y - centre) < 0.4 + 0.9 * fade) {
      *out = {0, 0, 0};
      *isInk = true;
      return true;
    }
  }
  return false;
}

Colour CardAt(Point q, double shadow) {
  double t = (q.y + 0.4 * q.x) / (kQuillHeight + 0.4 * kQuillWidth);
  return RampAt(kCreamStops, t + 0.6 * shadow);
}

std::vector<uint8_t> DrawQuill(const Palette& palette) {
  Curve curve;
  std::vector<uint8_t> pixels(kQuillWidth * kQuillHeight);
  const int kSamples = 3;  // per side of a pixel
  for (int y = 0; y < kQuillHeight; y++) {
    for (int x = 0; x < kQuillWidth; x++) {
      // The card's white rule, three pixels in from the edge.
      bool rule = (x == 3 || x == kQuillWidth - 4 || y == 3 || y == kQuillHeight - 4) && x >= 3 &&
                  x <= kQuillWidth - 4 && y >= 3 && y <= kQuillHeight - 4;
      if (rule) {
        pixels[y * kQuillWidth + x] = 0;
        continue;
      }
      Colour sum = {0, 0, 0};
      int ink = 0;
      for (int sy = 0; sy < kSamples; sy++) {
        for (int sx = 0; sx < kSamples; sx++) {
          Point q = {x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples};
          Colour c;
          bool isInk;
          if (QuillAt(curve, q, &c, &isInk)) {
            ink += isInk;
          } else {
            Colour unused;
            bool shaded = QuillAt(curve, {q.x - 3, q.y - 3}, &unused, &isInk) && !isInk;
            c = CardAt(q, shaded ? 1 : 0);
          }
          sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
        }
      }
      const double n = kSamples * kSamples;
      Colour average = {sum.r / n, sum.g / n, sum.b / n};
      // Ink is pure black where it covers most of the pixel.
      int index = ink * 2 > n ? kBlack : Nearest(palette, average, 1, 254);
      pixels[y * kQuillWidth + x] = (uint8_t)index;
    }
  }
  return pixels;
}

// ---- The gear ----------------------------------------------------------

const int kGearSize = 128;
const int kGearKey = 0;       // transparent
const int kBrass = 1;         // 1..250
const int kNavy = 255;        // not in the picture: the darkest entry, so the saver's background
const int kTeeth = 12;
// Unit vectors every 30 degrees, written out so that no sin/cos is needed.
const double kHalfRoot3 = 0.86602540378443864676;
const Point kSpokes[kTeeth] = {{1, 0},           {kHalfRoot3, 0.5},  {0.5, kHalfRoot3},   {0, 1},
                               {-0.5, kHalfRoot3}, {-kHalfRoot3, 0.5}, {-1, 0},             {-kHalfRoot3, -0.5},
                               {-0.5, -kHalfRoot3}, {0, -1},          {0.5, -kHalfRoot3},  {kHalfRoot3, -0.5}};

const Stops kBrassStops = {{58, 34, 10}, {128, 82, 26}, {196, 148, 58}, {236, 204, 120}, {255, 246, 206}};

Palette GearPalette() {
  Palette palette{};
  palette[kGearKey] = {255, 0, 255};
  Ramp(palette, kBrass, 250, kBrassStops);
  for (int i = 251; i < 255; i++) palette[i] = {(GifByteType)(70 + 20 * (i - 251)), 60, 52};
  palette[kNavy] = {10, 14, 40};
  return palette;
}

// Signed distance to the gear's outline: negative inside the metal.
double GearDistance(Point q) {
  Point c = {q.x - kGearSize / 2.0, q.y - kGearSize / 2.0};
  double radius = std::hypot(c.x, c.y);
  double shape = radius - 45;  // the body
  for (const Point& spoke : kSpokes) {
    // A tooth: a box along the spoke from radius 38 to 60, 13 wide.
    double along = c.x * spoke.x + c.y * spoke.y;
    double across = std::fabs(-c.x * spoke.y + c.y * spoke.x);
    double dx = std::fabs(along - 50) - 10, dy = across - 6.5 + 0.06 * (along - 40);
    double outside = std::hypot(std::max(dx, 0.0), std::max(dy, 0.0));
    double tooth = outside + std::min(std::max(dx, dy), 0.0) - 1.5;
    shape = std::min(shape, tooth);
  }
  shape = std::max(shape, 13 - radius);  // the axle hole
  for (int i = 0; i < kTeeth; i += 2) {  // six round windows
    Point centre = {kSpokes[i + 1].x * 28, kSpokes[i + 1].y * 28};
    shape = std::max(shape, 7.5 - std::hypot(c.x - centre.x, c.y - centre.y));
  }
  return shape;
}

std::vector<uint8_t> DrawGear(const Palette& palette) {
  std::vector<uint8_t> pixels(kGearSize * kGearSize, kGearKey);
  for (int y = 0; y < kGearSize; y++) {
    for (int x = 0; x < kGearSize; x++) {
      Point q = {x + 0.5, y + 0.5};
      double d = GearDistance(q);
      if (d > 0) continue;  // a pixel belongs to the cog when its centre does
      // Light from the top left: the outline's slope gives the bevel.
      double gx = GearDistance({q.x + 0.5, q.y}) - GearDistance({q.x - 0.5, q.y});
      double gy = GearDistance({q.x, q.y + 0.5}) - GearDistance({q.x, q.y - 0.5});
      double bevel = Smooth(-3.5, 0, d) * (-(gx + gy) * 0.7071);
      double radius = std::hypot(q.x - kGearSize / 2.0, q.y - kGearSize / 2.0);
      double hub = radius < 19 ? 0.12 : 0;
      double sheen = 0.55 - 0.25 * (q.y - q.x) / kGearSize + 0.08 * std::fabs(Fract(radius / 6) - 0.5);
      double light = std::clamp(sheen + 0.45 * bevel - hub, 0.0, 1.0);
      Colour brass = RampAt(kBrassStops, light);
      pixels[y * kGearSize + x] = (uint8_t)Nearest(palette, brass, kBrass, 250);
    }
  }
  return pixels;
}

// ---- Writing -----------------------------------------------------------

int WriteToFile(GifFileType* gif, const GifByteType* bytes, int count) {
  return (int)std::fwrite(bytes, 1, count, static_cast<FILE*>(gif->UserData));
}

bool WriteGif(const std::string& path, int width, int height, const Palette& palette,
              const std::vector<uint8_t>& pixels, int transparentIndex) {
  FILE* file = std::fopen(path.c_str(), "wb");
  int error = 0;
  GifFileType* gif = file != nullptr ? EGifOpen(file, WriteToFile, &error) : nullptr;
  if (gif == nullptr) {
    std::fprintf(stderr, "make_samples: cannot write %s\n", path.c_str());
    if (file != nullptr) std::fclose(file);
    return false;
  }
  ColorMapObject* map = GifMakeMapObject(256, palette.data());
  bool ok = map != nullptr;
  // Only a transparent colour needs the 89a extension.
  if (transparentIndex >= 0) EGifSetGifVersion(gif, true);
  ok = ok && EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK;
  if (transparentIndex >= 0) {
    GraphicsControlBlock control = {DISPOSAL_UNSPECIFIED, false, 0, transparentIndex};
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK;
  }
  ok = ok && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
  std::vector<GifPixelType> row(width);
  for (int y = 0; ok && y < height; y++) {
    std::copy(pixels.begin() + y * width, pixels.begin() + (y + 1) * width, row.begin());
    ok = EGifPutLine(gif, row.data(), width) == GIF_OK;
  }
  if (map != nullptr) GifFreeMapObject(map);
  ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
  ok = std::fclose(file) == 0 && ok;
  if (!ok) std::fprintf(stderr, "make_samples: writing %s failed\n", path.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_samples OUTPUT_FOLDER\n");
    return 2;
  }
  std::string folder = argv[1];
  Palette quill = QuillPalette();
  Palette gear = GearPalette();
  bool ok = WriteGif(folder + "/quill.gif", kQuillWidth, kQuillHeight, quill, DrawQuill(quill), -1);
  ok = WriteGif(folder + "/gear.gif", kGearSize, kGearSize, gear, DrawGear(gear), kGearKey) && ok;
  return ok ? 0 : 1;
}
