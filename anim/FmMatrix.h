#pragma once

#include <array>

#include "FmPoint.h"

// A 4x4 float matrix in column-major order, as OpenGL takes it: the element of row r
// and column c is at index c * 4 + r, the translation at 12, 13 and 14.
struct FmMatrix {
  std::array<float, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

  static FmMatrix identity() { return {}; }
  static FmMatrix translation(const FmPoint& offset);
  static FmMatrix scaling(const FmPoint& factors);

  float& operator[](int index) { return m[index]; }
  float operator[](int index) const { return m[index]; }
  float at(int row, int column) const { return m[column * 4 + row]; }
  const float* data() const { return m.data(); }

  // Gauss-Jordan elimination with row exchanges. A matrix without an inverse in float
  // range gives false and the identity.
  bool inverse(FmMatrix& result) const;

  friend bool operator==(const FmMatrix&, const FmMatrix&) = default;
};

FmMatrix operator*(const FmMatrix& a, const FmMatrix& b);
