#include "FmMatrix.h"

#include <cmath>
#include <limits>
#include <utility>

FmMatrix FmMatrix::translation(const FmPoint& offset) {
  FmMatrix result;
  result[12] = offset.x;
  result[13] = offset.y;
  result[14] = offset.z;
  return result;
}

FmMatrix FmMatrix::scaling(const FmPoint& factors) {
  FmMatrix result;
  result[0] = factors.x;
  result[5] = factors.y;
  result[10] = factors.z;
  return result;
}

// Each entry sums its four products from the first on, starting from 0; the four
// entries of a column are summed side by side, which the compiler may do at once.
FmMatrix operator*(const FmMatrix& a, const FmMatrix& b) {
  FmMatrix product;
  for (int c = 0; c < 4; ++c) {
    float sum[4] = {0, 0, 0, 0};
    for (int k = 0; k < 4; ++k) {
      const float factor = b[c * 4 + k];
      for (int r = 0; r < 4; ++r) sum[r] += a[k * 4 + r] * factor;
    }
    for (int r = 0; r < 4; ++r) product[c * 4 + r] = sum[r];
  }
  return product;
}

namespace {

using Rows = std::array<std::array<double, 8>, 4>;

// The matrix beside the identity, one row per matrix row.
Rows augmented(const FmMatrix& matrix) {
  Rows rows{};
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) rows[r][c] = matrix.at(r, c);
    rows[r][4 + r] = 1;
  }
  return rows;
}

// The row at or below `column` whose element in that column is largest in size.
int pivotRow(const Rows& rows, int column) {
  int best = column;
  for (int r = column + 1; r < 4; ++r) {
    if (std::fabs(rows[r][column]) > std::fabs(rows[best][column])) best = r;
  }
  return best;
}

bool eliminate(Rows& rows) {
  for (int column = 0; column < 4; ++column) {
    std::swap(rows[column], rows[pivotRow(rows, column)]);
    const double pivot = rows[column][column];
    if (pivot == 0) return false;
    for (double& element : rows[column]) element /= pivot;
    for (int r = 0; r < 4; ++r) {
      if (r == column) continue;
      const double factor = rows[r][column];
      for (int c = 0; c < 8; ++c) rows[r][c] -= factor * rows[column][c];
    }
  }
  return true;
}

}  // namespace

bool FmMatrix::inverse(FmMatrix& result) const {
  Rows rows = augmented(*this);
  bool invertible = eliminate(rows);
  FmMatrix inverted;
  for (int r = 0; r < 4 && invertible; ++r) {
    for (int c = 0; c < 4 && invertible; ++c) {
      const double element = rows[r][4 + c];
      invertible = std::fabs(element) <= std::numeric_limits<float>::max();
      if (invertible) inverted[c * 4 + r] = static_cast<float>(element);
    }
  }
  result = invertible ? inverted : FmMatrix::identity();
  return invertible;
}
