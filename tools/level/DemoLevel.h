#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "DemoCreatures.h"
#include "FmOpenGLAnimatedTexture.h"
#include "FmOpenGLTexture.h"
#include "FmPoint.h"
#include "FmScene.h"

// The textures that both levels use; the shared-objects collection owns them.
struct DemoSharedTextures {
  FmOpenGLAnimatedTexture* explosion = nullptr;
  FmOpenGLTexture* sky = nullptr;
  FmOpenGLTexture* water = nullptr;
  FmOpenGLTexture* leaves = nullptr;
  FmOpenGLTexture* sun = nullptr;
  FmOpenGLTexture* beacon = nullptr;
};

// Paints the shared textures; they are the caller's to own.
DemoSharedTextures paintDemoSharedTextures();

// What sets one level of the demo apart from the other.
struct DemoLevelPlan {
  int number = 1;
  std::uint32_t seed = 1;
  FmPoint groundLow, groundHigh;
  FmPoint rockColour;
  std::array<FmPoint, 3> skins;  // each flock's creature colour
  FmPoint ambient;
  FmPoint sunColour;
  FmPoint airFog;
  float airFogEnd = 350;
  FmPoint waterFog;
  std::array<DemoCreatures::FlockPlan, 3> flocks;
  bool backdrop = false;  // a skyline drawn behind everything
};

// The scene of one level: the player's camera "gameCam" with its flight
// controller, the sky that follows it and the timer bar in view; an end-view
// camera on key frames; lights; sea, ground, islands, trees and a blinking
// beacon; three flocks with their creatures (the first active); the projectile
// template; fogs above and below the sea. The scene owns the level's own
// textures; the shared ones stay the caller's.
std::unique_ptr<FmScene> buildDemoLevel(const DemoLevelPlan& plan,
                                        const DemoSharedTextures& shared);

// The plans of the two demo levels.
DemoLevelPlan demoLevelPlan(int number);
