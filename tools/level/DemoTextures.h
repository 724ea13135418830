#pragma once

#include <cstdint>
#include <string>

#include "FmOpenGLAnimatedTexture.h"
#include "FmOpenGLTexture.h"
#include "FmPoint.h"

// The demo's textures, painted in code: the same pixels on every run. Colours are
// r, g, b from 0 to 1. Textures "with alpha" store all four channels; the others
// store r, g, b only and read back with alpha 1.
namespace DemoTextures {

// Rolling ground: two colours mixed by smooth noise, with fine grain.
FmOpenGLTexture* ground(const std::string& name, const FmPoint& low, const FmPoint& high,
                        std::uint32_t seed);
// Layered rock in the colour.
FmOpenGLTexture* rock(const std::string& name, const FmPoint& colour, std::uint32_t seed);
// A sky from the horizon colour (bottom rows) to the zenith colour, with clouds.
FmOpenGLTexture* sky(const std::string& name, const FmPoint& horizon, const FmPoint& zenith);
// Rippled, partly transparent water.
FmOpenGLTexture* water(const std::string& name);
// Leaves on a transparent background, for alpha-tested trees.
FmOpenGLTexture* leaves(const std::string& name);
// A round glow fading to transparent at its edge.
FmOpenGLTexture* glow(const std::string& name, const FmPoint& colour);
// Feathers or scales: stripes of two colours across the wings.
FmOpenGLTexture* skin(const std::string& name, const FmPoint& base, const FmPoint& stripe);
// A flip-book of a fireball that swells and fades over `frames` frames, each
// shown for `interval` seconds.
FmOpenGLAnimatedTexture* explosion(const std::string& name, int frames, float interval);

}  // namespace DemoTextures
