#include "PixelPairAverage.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ZIRROW_X86_VECTORS 1
#endif

// Sums of at most four bytes fit the 16-bit lanes below, and as the count of pixels
// summed is a power of two a shift divides them, so every path gives exactly the
// plain averages.

namespace {

// Four channels at once in the lanes of 64-bit words, one output pixel a step.
std::size_t averageInWords(const std::uint8_t* top, const std::uint8_t* bottom, std::size_t count,
                           std::uint8_t* out) {
  constexpr std::uint64_t evenBytes = 0x00FF00FF00FF00FFull;
  constexpr std::uint64_t lowLanes = 0xFFFFFFFFull;
  constexpr std::uint64_t laneBytes = 0x00FF00FFull;
  const int shift = bottom ? 2 : 1;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint64_t a = 0;
    std::uint64_t b = 0;
    std::memcpy(&a, top + 8 * i, sizeof a);
    if (bottom) std::memcpy(&b, bottom + 8 * i, sizeof b);
    // Lanes of r and b of both pixels, and of g and a of both pixels.
    const std::uint64_t rb = (a & evenBytes) + (b & evenBytes);
    const std::uint64_t ga = ((a >> 8) & evenBytes) + ((b >> 8) & evenBytes);
    const std::uint64_t rbSum = ((rb + (rb >> 32)) & lowLanes) >> shift;
    const std::uint64_t gaSum = ((ga + (ga >> 32)) & lowLanes) >> shift;
    const auto pixel = static_cast<std::uint32_t>((rbSum & laneBytes) | ((gaSum & laneBytes) << 8));
    std::memcpy(out + 4 * i, &pixel, sizeof pixel);
  }
  return count;
}

#if defined(ZIRROW_X86_VECTORS)

__m128i load16(const std::uint8_t* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// Source pixels 4k to 4k + 1 and 4k + 2 to 4k + 3 of the row (and of the one below),
// each channel widened to a lane and summed over the rows.
void widenedPairs(const std::uint8_t* top, const std::uint8_t* bottom, __m128i& low,
                  __m128i& high) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i a = load16(top);
  low = _mm_unpacklo_epi8(a, zero);
  high = _mm_unpackhi_epi8(a, zero);
  if (!bottom) return;
  const __m128i b = load16(bottom);
  low = _mm_add_epi16(low, _mm_unpacklo_epi8(b, zero));
  high = _mm_add_epi16(high, _mm_unpackhi_epi8(b, zero));
}

// Four output pixels a step in 16-bit lanes (every x86-64 processor has them); the
// count done.
std::size_t averageInQuads(const std::uint8_t* top, const std::uint8_t* bottom, std::size_t count,
                           std::uint8_t* out) {
  const __m128i shift = _mm_cvtsi32_si128(bottom ? 2 : 1);
  // Output pixels 2k and 2k + 1 add the even and the odd source pixels of the pairs.
  const auto averages = [&](__m128i first, __m128i second) {
    const __m128i even = _mm_unpacklo_epi64(first, second);
    const __m128i odd = _mm_unpackhi_epi64(first, second);
    return _mm_srl_epi16(_mm_add_epi16(even, odd), shift);
  };
  std::size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    __m128i sums[4];
    widenedPairs(top + 8 * i, bottom ? bottom + 8 * i : nullptr, sums[0], sums[1]);
    widenedPairs(top + 8 * i + 16, bottom ? bottom + 8 * i + 16 : nullptr, sums[2], sums[3]);
    const __m128i pixels = _mm_packus_epi16(averages(sums[0], sums[1]), averages(sums[2], sums[3]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i), pixels);
  }
  return i;
}

// Eight output pixels a step where the processor has 256-bit integer vectors: each
// half of a register is shuffled so that the channels of neighbouring pixels are
// neighbouring bytes, which one multiply-add by ones sums into 16-bit lanes.
__attribute__((target("avx2"))) __m256i horizontalSums(const std::uint8_t* row) {
  const __m256i neighbours = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15,
                                              0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
  const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row));
  return _mm256_maddubs_epi16(_mm256_shuffle_epi8(pixels, neighbours), _mm256_set1_epi8(1));
}

// Output pixels 0, 1 in the lower half of the result and 2, 3 in the upper one, of
// the eight source pixels at `top` (and `bottom`).
__attribute__((target("avx2"))) __m256i fourSums(const std::uint8_t* top,
                                                 const std::uint8_t* bottom) {
  const __m256i sums = horizontalSums(top);
  return bottom ? _mm256_add_epi16(sums, horizontalSums(bottom)) : sums;
}

__attribute__((target("avx2"))) std::size_t averageInOctets(const std::uint8_t* top,
                                                            const std::uint8_t* bottom,
                                                            std::size_t count, std::uint8_t* out) {
  const __m128i shift = _mm_cvtsi32_si128(bottom ? 2 : 1);
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i first =
        _mm256_srl_epi16(fourSums(top + 8 * i, bottom ? bottom + 8 * i : nullptr), shift);
    const __m256i second =
        _mm256_srl_epi16(fourSums(top + 8 * i + 32, bottom ? bottom + 8 * i + 32 : nullptr), shift);
    // Packing works within halves: pixels 0-1, 4-5, 2-3, 6-7, put back in order.
    const __m256i packed = _mm256_packus_epi16(first, second);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * i),
                        _mm256_permute4x64_epi64(packed, 0xD8));
  }
  return i;
}

bool hasAvx2() {
  return __builtin_cpu_supports("avx2");
}

#endif

}  // namespace

void averagePixelPairs(const std::uint8_t* top, const std::uint8_t* bottom, std::size_t count,
                       std::uint8_t* out) {
  std::size_t done = 0;
  // Each path takes over where the wider one before it stopped.
  const auto rest = [&](auto average) {
    const std::size_t offset = 8 * done;
    done += average(top + offset, bottom ? bottom + offset : nullptr, count - done, out + 4 * done);
  };
#if defined(ZIRROW_X86_VECTORS)
  if (hasAvx2()) rest(averageInOctets);
  rest(averageInQuads);
#endif
  rest(averageInWords);
}
