#include "FmFace.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>

#include "RWBinaryFile.h"
#include "RWFactory.h"

namespace {

constexpr float oneThird = 0.33333334f;
// Below this share of |b - a|^2 |c - a|^2, |(b - a) x (c - a)|^2 makes a triangle
// too thin to solve for its interior: it is measured along its edges instead.
constexpr double degenerateShare = 1e-12;

struct Vector {
  double x, y, z;
};

Vector toVector(const FmPoint& p) {
  return {p.x, p.y, p.z};
}

Vector operator-(const Vector& a, const Vector& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Vector operator+(const Vector& a, const Vector& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}

Vector operator*(const Vector& v, double factor) {
  return {v.x * factor, v.y * factor, v.z * factor};
}

double dot(const Vector& a, const Vector& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

double distance(const Vector& a, const Vector& b) {
  const Vector d = a - b;
  return std::sqrt(std::fabs(dot(d, d)));
}

float length(const FmPoint& p) {
  return std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
}

// along / extent held to 0..1: the parameter of an edge's point closest to a point
// whose projection onto the edge is `along`, for an edge of squared length `extent`.
double clampedAlong(double along, double extent) {
  if (along <= 0.0) return 0.0;
  if (along >= extent) return 1.0;
  return along / extent;
}

// The triangle a + s e0 + t e1 (s, t >= 0, s + t <= 1) around a point p, in the
// terms of the quadratic |a + s e0 + t e1 - p|^2 that the closest point minimises.
struct Triangle {
  double a00, a01, a11;  // e0.e0, e0.e1, e1.e1
  double b0, b1;         // (a - p).e0, (a - p).e1
};

struct Parameters {
  double s, t;
};

// Closest to the corner a: on the edge along e0 or the edge along e1.
Parameters cornerA(const Triangle& q) {
  if (q.b0 < 0.0) return {clampedAlong(-q.b0, q.a00), 0.0};
  return {0.0, clampedAlong(-q.b1, q.a11)};
}

// Closest to the corner c (s = 0, t = 1): on the far edge or the edge along e1.
Parameters cornerC(const Triangle& q) {
  const double towardsFar = q.a11 + q.b1 - (q.a01 + q.b0);
  if (towardsFar > 0.0) {
    const double s = clampedAlong(towardsFar, q.a00 - 2.0 * q.a01 + q.a11);
    return {s, 1.0 - s};
  }
  return {0.0, clampedAlong(-q.b1, q.a11)};
}

// Closest to the corner b (s = 1, t = 0): on the far edge or the edge along e0.
Parameters cornerB(const Triangle& q) {
  const double towardsFar = q.a00 + q.b0 - (q.a01 + q.b1);
  if (towardsFar > 0.0) {
    const double t = clampedAlong(towardsFar, q.a00 - 2.0 * q.a01 + q.a11);
    return {1.0 - t, t};
  }
  return {clampedAlong(-q.b0, q.a00), 0.0};
}

// Closest to the far edge, from b to c.
Parameters farEdge(const Triangle& q) {
  const double s = clampedAlong(q.a11 + q.b1 - q.a01 - q.b0, q.a00 - 2.0 * q.a01 + q.a11);
  return {s, 1.0 - s};
}

// The seven regions of the (s, t) plane around the triangle: the interior, the
// three edges and the three corners.
Parameters closestParameters(const Triangle& q, double det) {
  const double s = q.a01 * q.b1 - q.a11 * q.b0;
  const double t = q.a01 * q.b0 - q.a00 * q.b1;
  if (s + t <= det) {
    if (s < 0.0) return t < 0.0 ? cornerA(q) : Parameters{0.0, clampedAlong(-q.b1, q.a11)};
    if (t < 0.0) return {clampedAlong(-q.b0, q.a00), 0.0};
    return {s / det, t / det};
  }
  if (s < 0.0) return cornerC(q);
  if (t < 0.0) return cornerB(q);
  return farEdge(q);
}

double distanceToSegment(const Vector& p, const Vector& from, const Vector& to) {
  const Vector edge = to - from;
  const double extent = dot(edge, edge);
  const double along = extent > 0.0 ? clampedAlong(dot(p - from, edge), extent) : 0.0;
  return distance(p, from + edge * along);
}

double distanceToTriangle(const Vector& p, const Vector& a, const Vector& b, const Vector& c) {
  const Vector e0 = b - a;
  const Vector e1 = c - a;
  const Vector offset = a - p;
  const Triangle q{dot(e0, e0), dot(e0, e1), dot(e1, e1), dot(offset, e0), dot(offset, e1)};
  const double det = std::fabs(q.a00 * q.a11 - q.a01 * q.a01);
  if (!(det > degenerateShare * q.a00 * q.a11)) {
    return std::min(
        {distanceToSegment(p, a, b), distanceToSegment(p, b, c), distanceToSegment(p, c, a)});
  }
  const Parameters closest = closestParameters(q, det);
  return distance(p, a + e0 * closest.s + e1 * closest.t);
}

bool indicesBelow(const FmFace::Corners& indices, int count) {
  return std::all_of(indices.begin(), indices.end(),
                     [count](std::int32_t index) { return index >= 0 && index < count; });
}

bool optionalIndicesBelow(const FmFace::Corners& indices, int count) {
  if (count == 0) return true;
  return std::all_of(indices.begin(), indices.end(), [count](std::int32_t index) {
    return index == -1 || (index >= 0 && index < count);
  });
}

}  // namespace

RWCollectable* FmFace::newInstance() const {
  return new FmFace;
}

RWCollectable* FmFace::clone() const {
  auto* copy = new FmFace;
  copy->vertexIndex_ = vertexIndex_;
  copy->texCoordIndex_ = texCoordIndex_;
  copy->normalIndex_ = normalIndex_;
  copy->colourIndex_ = colourIndex_;
  copy->textureIndex_ = textureIndex_;
  return copy;
}

RWClassID FmFace::classId() const {
  return id;
}

std::uint32_t FmFace::storeSize() const {
  return 4 + 4 * 3 * 4 + 4;
}

void FmFace::clearFields() {
  vertexIndex_ = texCoordIndex_ = normalIndex_ = colourIndex_ = Corners{};
  textureIndex_ = 0;
  normal_ = FmPoint();
  radius_ = 0.0f;
  centre_ = FmPoint();
  hit_ = 0;
}

// Cleared field by field: a temporary face would cost its construction and
// destruction for every one of the many faces of a level.
void FmFace::restoreFields(RWBinaryFile& file) {
  clearFields();
  std::uint32_t version = 0;
  if (!file.read(version)) return;
  if (version != untexturedVersion && version != storedVersion) return;
  // The four index triples lie one after the other: one read takes them all.
  std::array<std::int32_t, 12> indices{};
  if (!file.read(indices.data(), indices.size())) return;
  Corners* const triples[] = {&vertexIndex_, &texCoordIndex_, &normalIndex_, &colourIndex_};
  for (std::size_t i = 0; i < std::size(triples); ++i) {
    std::copy_n(indices.begin() + static_cast<std::ptrdiff_t>(3 * i), 3, triples[i]->begin());
  }
  if (version == storedVersion) file.read(textureIndex_);
}

void FmFace::saveFields(RWBinaryFile& file) const {
  file.write(storedVersion);
  file.write(vertexIndex_.data(), 3);
  file.write(texCoordIndex_.data(), 3);
  file.write(normalIndex_.data(), 3);
  file.write(colourIndex_.data(), 3);
  file.write(textureIndex_);
}

int FmFace::formatVersion() const {
  return storedVersion;
}

void FmFace::computePlane(const FmPoint& a, const FmPoint& b, const FmPoint& c) {
  const FmPoint e1 = b - a;
  const FmPoint e2 = c - a;
  normal_ = {e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x};
  const float size = length(normal_);
  if (size > 0.0f) normal_ = normal_ * (1.0f / size);
}

void FmFace::computeSphere(const FmPoint& a, const FmPoint& b, const FmPoint& c) {
  centre_ = (a + b + c) * oneThird;
  radius_ = std::max({length(a - centre_), length(b - centre_), length(c - centre_)});
}

bool FmFace::withinSphere(const FmPoint& point, float distance) const {
  return length(point - centre_) <= distance + radius_;
}

bool FmFace::touches(const FmPoint& point, float distance, const FmPoint& a, const FmPoint& b,
                     const FmPoint& c) {
  hit_ = 0;
  if (!withinSphere(point, distance)) return false;
  const double apart = distanceToTriangle(toVector(point), toVector(a), toVector(b), toVector(c));
  if (!(apart <= distance)) return false;
  hit_ = 1;
  return true;
}

bool FmFace::indicesWithin(int vertexCount, int texCoordCount, int normalCount,
                           int colourCount) const {
  return indicesBelow(vertexIndex_, vertexCount) &&
         optionalIndicesBelow(texCoordIndex_, texCoordCount) &&
         optionalIndicesBelow(normalIndex_, normalCount) &&
         optionalIndicesBelow(colourIndex_, colourCount);
}

namespace {
const RWClassRegistration registration{createDefault<FmFace>, FmFace::id, "FmFace"};
}  // namespace
