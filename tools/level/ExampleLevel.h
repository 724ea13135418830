#pragma once

#include <memory>

#include "FmScene.h"
#include "ImportedModel.h"

// The example level that designers copy: the player's camera and its sky under its flight
// controller with the timer bar in view, a sun and a lamp, a fog, the island model
// ahead, a flock of five gulls crossing the line of fire and the "Bouncer"
// projectile. Emptying the flock wins it.
std::unique_ptr<FmScene> buildExampleLevel(const ImportedModel& island);
