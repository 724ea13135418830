#include "GameIcon.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

struct Point {
  double x;
  double y;
};

struct Colour {
  double r;
  double g;
  double b;
};

constexpr int samplesPerSide = 4;  // each pixel is the mean of 4 x 4 samples
constexpr double inset = 0.03;
constexpr double cornerRadius = 0.18;
constexpr double horizon = 0.68;

// The craft, an arrowhead pointing up and right: nose, left wing tip, tail notch,
// right wing tip.
constexpr std::array<Point, 4> craft{{{0.80, 0.20}, {0.20, 0.46}, {0.44, 0.56}, {0.54, 0.80}}};
constexpr Point flameCentre{0.38, 0.62};
constexpr double flameRadius = 0.065;
constexpr std::array<Point, 3> creatures{{{0.22, 0.24}, {0.34, 0.15}, {0.36, 0.31}}};
constexpr double creatureSpan = 0.055;
constexpr double creatureThickness = 0.014;

Colour mix(const Colour& a, const Colour& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

bool insideRoundedSquare(Point p) {
  const double low = inset + cornerRadius;
  const double high = 1.0 - inset - cornerRadius;
  const double dx = std::max({low - p.x, 0.0, p.x - high});
  const double dy = std::max({low - p.y, 0.0, p.y - high});
  if (p.x < inset || p.x > 1.0 - inset || p.y < inset || p.y > 1.0 - inset) return false;
  return dx * dx + dy * dy <= cornerRadius * cornerRadius;
}

// Even-odd rule: a ray to the right crosses the outline an odd number of times.
template <std::size_t n>
bool insidePolygon(Point p, const std::array<Point, n>& corners) {
  bool inside = false;
  for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
    const Point& a = corners[i];
    const Point& b = corners[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) {
      inside = !inside;
    }
  }
  return inside;
}

double distanceToSegment(Point p, Point a, Point b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double t =
      std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  const double ex = p.x - (a.x + t * dx);
  const double ey = p.y - (a.y + t * dy);
  return std::sqrt(ex * ex + ey * ey);
}

// A creature seen from afar: two wings in a shallow V.
bool onCreature(Point p, Point centre) {
  const Point leftTip{centre.x - creatureSpan, centre.y - creatureSpan * 0.45};
  const Point rightTip{centre.x + creatureSpan, centre.y - creatureSpan * 0.45};
  return distanceToSegment(p, leftTip, centre) < creatureThickness ||
         distanceToSegment(p, centre, rightTip) < creatureThickness;
}

// The side of the line from the nose to the tail notch that the right wing lies on is
// in the craft's shadow.
bool inCraftShadow(Point p) {
  const Point& nose = craft[0];
  const Point& notch = craft[2];
  return (notch.x - nose.x) * (p.y - nose.y) - (notch.y - nose.y) * (p.x - nose.x) < 0.0;
}

Colour sceneColour(Point p) {
  static constexpr Colour skyTop{28, 58, 138};
  static constexpr Colour skyHorizon{120, 180, 235};
  static constexpr Colour seaNear{12, 44, 76};
  static constexpr Colour seaFar{30, 88, 128};
  if (insidePolygon(p, craft)) {
    return inCraftShadow(p) ? Colour{182, 190, 204} : Colour{246, 246, 240};
  }
  const double fx = p.x - flameCentre.x;
  const double fy = p.y - flameCentre.y;
  if (fx * fx + fy * fy < flameRadius * flameRadius) return {255, 150, 36};
  for (const Point& creature : creatures) {
    if (onCreature(p, creature)) return {24, 24, 40};
  }
  if (p.y < horizon) return mix(skyTop, skyHorizon, p.y / horizon);
  return mix(seaFar, seaNear, (p.y - horizon) / (1.0 - horizon));
}

std::uint8_t byteOf(double value) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 255.0)));
}

}  // namespace

GameIcon::Image GameIcon::draw(int size) {
  size = std::max(size, 1);
  Image image{size, size, std::vector<std::uint8_t>(static_cast<std::size_t>(size) * size * 4)};
  const double sampleStep = 1.0 / (size * samplesPerSide);
  for (int row = 0; row < size; ++row) {
    for (int column = 0; column < size; ++column) {
      Colour sum{0, 0, 0};
      int covered = 0;
      for (int sy = 0; sy < samplesPerSide; ++sy) {
        for (int sx = 0; sx < samplesPerSide; ++sx) {
          const Point p{(column * samplesPerSide + sx + 0.5) * sampleStep,
                        (row * samplesPerSide + sy + 0.5) * sampleStep};
          if (!insideRoundedSquare(p)) continue;
          const Colour c = sceneColour(p);
          sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
          ++covered;
        }
      }
      std::uint8_t* pixel = &image.rgba[(static_cast<std::size_t>(row) * size + column) * 4];
      if (covered > 0) {
        pixel[0] = byteOf(sum.r / covered);
        pixel[1] = byteOf(sum.g / covered);
        pixel[2] = byteOf(sum.b / covered);
      }
      pixel[3] = byteOf(255.0 * covered / (samplesPerSide * samplesPerSide));
    }
  }
  return image;
}
