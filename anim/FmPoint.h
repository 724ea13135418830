#pragma once

#include "RWBinaryFile.h"

// Three floats: a position, a scale, a direction, Euler angles or a colour.
struct FmPoint {
  float x = 0;
  float y = 0;
  float z = 0;

  // The three components as little-endian float32, x first.
  void saveOn(RWBinaryFile& file) const {
    file.write(x);
    file.write(y);
    file.write(z);
  }
  void restoreFrom(RWBinaryFile& file) {
    file.read(x);
    file.read(y);
    file.read(z);
  }

  friend bool operator==(const FmPoint&, const FmPoint&) = default;
};

inline FmPoint operator+(const FmPoint& a, const FmPoint& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}

inline FmPoint operator-(const FmPoint& a, const FmPoint& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}

inline FmPoint operator*(const FmPoint& p, float factor) {
  return {p.x * factor, p.y * factor, p.z * factor};
}

inline FmPoint componentProduct(const FmPoint& a, const FmPoint& b) {
  return {a.x * b.x, a.y * b.y, a.z * b.z};
}
