#include "FmQuat.h"

#include <cmath>

#include "RWBinaryFile.h"
#include "RWFactory.h"

namespace {

constexpr double halfDegreesToRadians = 0.008726646259971648;
constexpr double oneOverPi = 0.3183098861837907;
constexpr float pi = 3.1415927f;
constexpr float oneOver180 = 0.0055555557f;

// A rotation near half a turn has no trace to divide by: it is found from the
// largest diagonal element instead. A matrix without one above 0 gives the identity.
FmQuat halfTurn(const FmMatrix& r) {
  FmQuat q;
  if (r[0] >= r[5] && r[0] >= r[10]) {
    const float d = 2 * std::sqrt(std::fmax(1 + r[0] - r[5] - r[10], 0.0f));
    if (!(d > 1e-6f)) return q;
    return {(r[6] - r[9]) / d, d / 4, (r[1] + r[4]) / d, (r[8] + r[2]) / d};
  }
  if (r[5] >= r[10]) {
    const float d = 2 * std::sqrt(std::fmax(1 - r[0] + r[5] - r[10], 0.0f));
    if (!(d > 1e-6f)) return q;
    return {(r[8] - r[2]) / d, (r[1] + r[4]) / d, d / 4, (r[6] + r[9]) / d};
  }
  const float d = 2 * std::sqrt(std::fmax(1 - r[0] - r[5] + r[10], 0.0f));
  if (!(d > 1e-6f)) return q;
  return {(r[1] - r[4]) / d, (r[8] + r[2]) / d, (r[6] + r[9]) / d, d / 4};
}

}  // namespace

FmQuat::FmQuat(const FmPoint& axis, float degrees) {
  const float half = static_cast<float>(degrees * halfDegreesToRadians);
  const float sine = std::sin(half);
  w = std::cos(half);
  x = axis.x * sine;
  y = axis.y * sine;
  z = axis.z * sine;
  normalize();
}

FmQuat::FmQuat(const FmMatrix& r) {
  const float t = r[0] + r[5] + r[10] + 1;
  if (t > 1e-6f) {
    w = std::sqrt(t * 0.25f);
    const float d = 4 * w;
    x = (r[6] - r[9]) / d;
    y = (r[8] - r[2]) / d;
    z = (r[1] - r[4]) / d;
  } else {
    *this = halfTurn(r);
  }
  normalize();
}

RWCollectable* FmQuat::newInstance() const {
  return new FmQuat;
}

RWCollectable* FmQuat::clone() const {
  return new FmQuat(*this);
}

RWClassID FmQuat::classId() const {
  return id;
}

std::uint32_t FmQuat::storeSize() const {
  return 20;
}

void FmQuat::restoreFields(RWBinaryFile& file) {
  std::int32_t stored = 0;
  file.read(stored);
  if (stored != version) return;
  file.read(x);
  file.read(y);
  file.read(z);
  file.read(w);
}

void FmQuat::saveFields(RWBinaryFile& file) const {
  file.write(version);
  file.write(x);
  file.write(y);
  file.write(z);
  file.write(w);
}

int FmQuat::formatVersion() const {
  return version;
}

void FmQuat::normalize() {
  const float length = std::sqrt(x * x + y * y + z * z + w * w);
  if (!(length > 0)) return;
  const float factor = 1 / length;
  x *= factor;
  y *= factor;
  z *= factor;
  w *= factor;
}

FmMatrix FmQuat::toMatrix() const {
  FmMatrix m;
  m[0] = 1 - 2 * (y * y + z * z);
  m[1] = 2 * (x * y + z * w);
  m[2] = 2 * (x * z - y * w);
  m[4] = 2 * (x * y - z * w);
  m[5] = 1 - 2 * (x * x + z * z);
  m[6] = 2 * (y * z + x * w);
  m[8] = 2 * (x * z + y * w);
  m[9] = 2 * (y * z - x * w);
  m[10] = 1 - 2 * (x * x + y * y);
  return m;
}

void FmQuat::toAxisAngle(FmPoint& axis, float& degrees) const {
  const float half = std::acos(w);
  const float sine = std::sin(half);
  if (std::fabs(sine) > 1e-6f) {
    axis = {x / sine, y / sine, z / sine};
    degrees = static_cast<float>(half * 360 * oneOverPi);
  } else {
    axis = {};
    degrees = 0;
  }
}

void FmQuat::fromEuler(const FmPoint& degrees) {
  const float hx = degrees.x * pi * oneOver180 * 0.5f;
  const float hy = degrees.y * pi * oneOver180 * 0.5f;
  const float hz = degrees.z * pi * oneOver180 * 0.5f;
  const float cx = std::cos(hx), sx = std::sin(hx);
  const float cy = std::cos(hy), sy = std::sin(hy);
  const float cz = std::cos(hz), sz = std::sin(hz);
  x = sx * cy * cz - cx * sy * sz;
  y = cx * sy * cz + sx * cy * sz;
  z = cx * cy * sz - sx * sy * cz;
  w = cx * cy * cz + sx * sy * sz;
  normalize();
}

float FmQuat::dot(const FmQuat& a, const FmQuat& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
}

FmQuat FmQuat::slerp(float t, const FmQuat& a, const FmQuat& b) {
  const float c = dot(a, b);
  const float s = std::sqrt(std::fabs(1 - c * c));
  // Unit quaternions that are opposite to within float rounding have no one arc
  // between them either; the weights below would cancel to a non-rotation.
  if (!(std::fabs(s) >= 1e-6f) || c < -1 + 1e-6f) return a;
  const float theta = std::atan2(s, c);
  return a * (std::sin((1 - t) * theta) / s) + b * (std::sin(t * theta) / s);
}

FmQuat operator*(const FmQuat& a, const FmQuat& b) {
  FmQuat product(
      a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z, a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
      a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x, a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w);
  product.normalize();
  return product;
}

FmQuat operator+(const FmQuat& a, const FmQuat& b) {
  return {a.w + b.w, a.x + b.x, a.y + b.y, a.z + b.z};
}

FmQuat operator-(const FmQuat& q) {
  return {-q.w, -q.x, -q.y, -q.z};
}

FmQuat operator*(const FmQuat& q, float factor) {
  return {q.w * factor, q.x * factor, q.y * factor, q.z * factor};
}

namespace {
const RWClassRegistration registration{createDefault<FmQuat>, FmQuat::id, "FmQuat"};
}  // namespace
