#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "FmPoint.h"

// Where a shot looks from: the level's own camera, a camera of the level by name,
// or a viewpoint and the point it looks at.
struct ShotView {
  std::string camera;
  std::optional<FmPoint> from;
  FmPoint at;
};

// One frame of a level as the game draws it, in RGB bytes with rows from the bottom.
struct ShotPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  std::int32_t triangles = 0;
};

// What stands in the way of a shot: a camera that the level does not have, a
// viewpoint that looks nowhere, no OpenGL context.
class ShotError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Loads the level as the game does, starts it in an offscreen viewport of the
// headless size, looks through the chosen view and draws the frame at game time 0.
// A view from a point gets the field of view of the level's current camera (45
// degrees without one) and a far distance that reaches well past the point looked
// at. Load errors propagate as the persistence library's exceptions.
ShotPicture takeLevelShot(const std::string& levelFile, std::int32_t level, const ShotView& view);

// Whether any pixel differs from the one in the lower left corner, which a frame
// that shows only the clear colour has everywhere.
bool showsMoreThanOneColour(const ShotPicture& picture);
