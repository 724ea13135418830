#include "BenchRun.h"

#include <algorithm>

#include "FmEngine.h"
#include "FmFlightController.h"
#include "FmFlock.h"
#include "SteppedClock.h"

namespace {

constexpr const char* projectileName = "Bouncer";
constexpr int benchWidth = 800;
constexpr int benchHeight = 600;

std::size_t flockMembers(const FmWorker& worker) {
  std::size_t members = 0;
  for (std::size_t i = 0; i < worker.flocks().entryCount(); ++i) {
    members += static_cast<const FmFlock*>(worker.flocks().elementAt(i))->childCount();
  }
  return members;
}

void loadLevel(FmEngine& engine, const BenchOptions& options) {
  engine.scene().setLevel(options.level);
  engine.loadScene(options.levelFile.c_str());
  FmWorker& worker = engine.scene().worker();
  worker.findTemplate(projectileName);
  if (engine.scene().levelCount() <= 1) return;
  worker.selectFlock(options.flock);
  if (FmFlightController* flight = worker.flightController()) {
    flight->setMode(FmFlightController::freeFlight);
  }
}

// Plays one frame at the stepped time and records its events.
class BenchPlayer {
public:
  BenchPlayer(const BenchOptions& options, FmEngine& engine, SteppedClock& clock)
      : options_(options), engine_(engine), clock_(clock) {}

  void playFrame(std::int32_t frame, BenchResult& result) {
    clock_.setSeconds(frame * options_.step);
    const float now = engine_.currentTime();
    FmWorker& worker = engine_.scene().worker();
    if (std::find(options_.fireAt.begin(), options_.fireAt.end(), frame) != options_.fireAt.end()) {
      worker.launchProjectile(now);
    }
    const std::size_t membersBefore = flockMembers(worker);
    engine_.frame(0.0f, options_.turnPitch, options_.turnYaw, 0.0f, 0.0f, 0.0f);
    const std::size_t membersAfter = flockMembers(worker);
    for (std::size_t lost = membersAfter; lost < membersBefore; ++lost) {
      result.events.push_back({frame, now, BenchEvent::Kind::hit});
    }
    if (engine_.winEvent()) {
      engine_.setWinEvent(false);
      result.events.push_back({frame, now, BenchEvent::Kind::win});
    }
    if (engine_.failEvent()) {
      engine_.setFailEvent(false);
      result.events.push_back({frame, now, BenchEvent::Kind::fail});
      worker.restartFlock(now);
    }
  }

private:
  const BenchOptions& options_;
  FmEngine& engine_;
  SteppedClock& clock_;
};

}  // namespace

std::string_view kindName(BenchEvent::Kind kind) {
  switch (kind) {
    case BenchEvent::Kind::hit:
      return "hit";
    case BenchEvent::Kind::win:
      return "win";
    case BenchEvent::Kind::fail:
      return "fail";
  }
  return "unknown";
}

BenchResult runBench(const BenchOptions& options, const FmClock& frameClock) {
  SteppedClock clock;
  FmEngine engine(clock, frameClock);
  loadLevel(engine, options);
  engine.start(benchWidth, benchHeight);
  BenchPlayer player(options, engine, clock);
  BenchResult result;
  for (std::int32_t frame = 0; frame < options.frames; ++frame) {
    player.playFrame(frame, result);
    ++result.frames;
  }
  result.statistics = engine.statistics();
  return result;
}
