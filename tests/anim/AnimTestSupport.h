#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

#include "FmMatrix.h"
#include "FmPoint.h"
#include "FmQuat.h"
#include "RWBinaryFile.h"
#include "RWObjectProtocol.h"
#include "TempFile.h"

inline void expectQuatNear(const FmQuat& actual, const FmQuat& expected, float tolerance = 1e-5f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
  EXPECT_NEAR(actual.w, expected.w, tolerance);
}

inline void expectPointNear(const FmPoint& actual, const FmPoint& expected,
                            float tolerance = 1e-5f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// The point p transformed by the matrix, as OpenGL would.
inline FmPoint transform(const FmMatrix& m, const FmPoint& p) {
  return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
          m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
          m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

// Writes the object as the top-level record of the file.
inline void writeTopLevel(const TempFile& path, const RWCollectable& object) {
  RWBinaryFile file(path.c_str(), "wb");
  writeObject(file, &object);
}

// Reads the top-level record of the file into an existing object.
inline void readTopLevel(const TempFile& path, RWCollectable& object) {
  RWBinaryFile file(path.c_str(), "rb");
  readObject(file, &object);
}

// Little-endian bytes for hand-made records.
class Bytes {
public:
  Bytes& u16(std::uint16_t value) { return add(value, 2); }
  Bytes& u32(std::uint32_t value) { return add(value, 4); }
  Bytes& f32(float value) { return add(std::bit_cast<std::uint32_t>(value), 4); }
  Bytes& point(float x, float y, float z) { return f32(x).f32(y).f32(z); }
  Bytes& nil() { return u16(0xFFFF).u32(0); }
  const std::vector<unsigned char>& data() const { return data_; }

private:
  Bytes& add(std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) data_.push_back(static_cast<unsigned char>(value >> (8 * i)));
    return *this;
  }
  std::vector<unsigned char> data_;
};
