#pragma once

#include <cstddef>
#include <cstdint>

// Halving RGBA rows: output pixel i averages source pixels 2i and 2i + 1 of `top`
// and, when `bottom` is given, of `bottom` too, channel by channel, truncating as the
// plain integer average does. The output may lie at or before the source pixels
// within the same buffer: every output pixel is written only after the source
// pixels at and before its place have been read.
void averagePixelPairs(const std::uint8_t* top, const std::uint8_t* bottom, std::size_t count,
                       std::uint8_t* out);
