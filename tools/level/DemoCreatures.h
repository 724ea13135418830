#pragma once

#include <string>

#include "FmFlock.h"
#include "FmObject.h"
#include "FmOpenGLAnimatedTexture.h"
#include "FmOpenGLTexture.h"
#include "FmPoint.h"
#include "FmRocket.h"

// The things that fly: the hunted creatures and their flocks, and the player's
// projectile with its explosion.
namespace DemoCreatures {

// How one flock of a level behaves and where it roams.
struct FlockPlan {
  std::string name;      // the flock's own name
  std::string creature;  // the prototype's name, given to the flock after a "*"
  float span = 3;        // wing span of a creature
  int members = 8;
  float timeLimit = 60;  // seconds to catch them all
  float cruiseFactor = 3;
  FmPoint centre;   // the middle of the path the flock's centre roams
  float roam = 10;  // how far the centre swings to either side
  float loopSeconds = 40;
};

// A creature flying along -z that flaps its wings (the first animation, several
// morphing frames) and tumbles with folded wings once hit (the second). It is a
// target of the player's projectiles.
FmObject* creature(const std::string& name, float span, FmOpenGLTexture* skin);
// A flock named "<name>*<creature>", so that it takes the creature of that name
// as its own prototype when the level starts. Its centre roams on key frames.
FmFlock* flock(const FlockPlan& plan, bool active);
// The projectile template "Bouncer": a lit dart, a collider, with an explosion
// whose first texture is the flip-book and whose first child is debris.
FmRocket* projectile(FmOpenGLAnimatedTexture* explosionBook, FmOpenGLTexture* debrisTexture);

}  // namespace DemoCreatures
