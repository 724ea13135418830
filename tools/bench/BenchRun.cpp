#include "BenchRun.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "FmEngine.h"
#include "FmFlock.h"
#include "FmGLEngine.h"
#include "FmObject.h"
#include "FmTimerBarController.h"
#include "GameLevel.h"
#include "GlBinding.h"
#include "OffscreenGlContext.h"
#include "PeakMemory.h"
#include "SteppedClock.h"

namespace {

std::size_t flockMembers(const FmWorker& worker) {
  std::size_t members = 0;
  for (std::size_t i = 0; i < worker.flocks().entryCount(); ++i) {
    members += static_cast<const FmFlock*>(worker.flocks().elementAt(i))->childCount();
  }
  return members;
}

void countNodes(const FmNode& node, BenchSample& sample) {
  ++sample.nodes;
  if (node.expiryTime() != FmNode::neverExpires) ++sample.expiring;
  for (std::size_t i = 0; i < node.childCount(); ++i) countNodes(*node.childAt(i), sample);
}

FmPoint positionOf(const FmNode& node) {
  FmMatrix world = FmMatrix::identity();
  node.getWorldMatrix(world);
  return {world[12], world[13], world[14]};
}

const FmFlock* activeFlock(const FmWorker& worker) {
  const auto index = static_cast<std::size_t>(worker.currentFlock());
  if (index >= worker.flocks().entryCount()) return nullptr;
  return dynamic_cast<const FmFlock*>(worker.flocks().elementAt(index));
}

BenchSample sampleOf(const FmWorker& worker, std::int32_t frame, float time) {
  BenchSample sample;
  sample.frame = frame;
  sample.time = time;
  for (std::size_t i = 0; i < worker.root().childCount(); ++i) {
    countNodes(*worker.root().childAt(i), sample);
  }
  if (const FmFlock* flock = activeFlock(worker)) {
    sample.flockMembers = flock->childCount();
    for (std::size_t i = 0; i < flock->childCount(); ++i) {
      sample.flock.add(positionOf(*flock->childAt(i)), 0.0f);
    }
  }
  sample.residentKilobytes = residentKilobytes();
  return sample;
}

// The level's own objects: neither flock members nor anything that expires.
BenchBox levelBoundsOf(const FmWorker& worker) {
  BenchBox bounds;
  for (const RWOrdered* list :
       {&worker.objects(), &worker.alphaObjects(), &worker.blendObjects()}) {
    for (std::size_t i = 0; i < list->entryCount(); ++i) {
      const auto* object = dynamic_cast<const FmObject*>(list->elementAt(i));
      if (!object || object->expiryTime() != FmNode::neverExpires ||
          dynamic_cast<const FmFlock*>(object->parent())) {
        continue;
      }
      bounds.add(positionOf(*object), object->boundingRadius());
    }
  }
  return bounds;
}

// Screenshots of every K-th frame. The capture is open only while such a frame is
// drawn, so the game time keeps its fixed step, and each file is numbered by its
// frame, so that no shot overwrites another.
class BenchShots {
public:
  BenchShots(const BenchOptions& options, FmGLEngine* engine)
      : engine_(options.shotDirectory.empty() ? nullptr : engine),
        every_(options.shotEvery),
        directory_(options.shotDirectory) {
    if (!engine_) return;
    // A directory that can't be made shows up as the shots' write errors.
    std::error_code ignored;
    std::filesystem::create_directories(directory_, ignored);
    if (directory_.back() != '/') directory_ += '/';
  }

  void beforeFrame(std::int32_t frame) {
    if (!due(frame)) return;
    engine_->beginCapture(directory_, FmGLEngine::singleShotMode);
    engine_->setSnapshotCounter(frame);
  }

  void afterFrame(std::int32_t frame) {
    if (due(frame)) engine_->endCapture();
  }

private:
  bool due(std::int32_t frame) const { return engine_ && frame % every_ == 0; }

  FmGLEngine* engine_;
  std::int32_t every_;
  std::string directory_;
};

// Plays one frame at the stepped time and records its events.
class BenchPlayer {
public:
  BenchPlayer(const BenchOptions& options, FmEngine& engine, SteppedClock& clock, BenchShots& shots,
              const FmClock& frameClock, const FmClock* cpuClock, FmGLEngine* drawing)
      : options_(options),
        engine_(engine),
        clock_(clock),
        shots_(shots),
        frameClock_(frameClock),
        cpuClock_(cpuClock),
        drawing_(drawing) {}

  void playFrame(std::int32_t frame, BenchResult& result) {
    clock_.setSeconds(frame * options_.step);
    const float now = engine_.currentTime();
    if (frame > 0 && now < lastTime_) result.events.push_back({frame, now, BenchEvent::Kind::wrap});
    lastTime_ = now;
    FmWorker& worker = engine_.scene().worker();
    if (firesAt(frame) && worker.launchProjectile(now)) {
      result.events.push_back({frame, now, BenchEvent::Kind::launch});
    }
    const std::size_t membersBefore = flockMembers(worker);
    shots_.beforeFrame(frame);
    const std::uint64_t callsBefore = glCallsCounted();
    const std::uint64_t bindsBefore = glCallsCountedTo("glBindTexture");
    const std::uint64_t materialsBefore = glCallsCountedTo("glMaterialf");
    const std::uint64_t cpuStart = cpuClock_ ? cpuClock_->counter() : 0;
    const std::uint64_t start = frameClock_.counter();
    engine_.frame(0.0f, options_.turnPitch, options_.turnYaw, 0.0f, 0.0f, 0.0f);
    const std::uint64_t drawn = frameClock_.counter();
    if (drawing_) drawing_->finishDrawing();
    BenchFrame record;
    record.time = now;
    record.whole = secondsSince(start);
    record.swap = secondsSince(drawn);
    result.frameTimes.add(record.whole);
    if (cpuClock_) {
      record.cpu = secondsOn(*cpuClock_, cpuStart);
      result.frameCpuTimes.add(record.cpu);
    }
    if (drawing_) {
      record.glCalls = static_cast<std::uint32_t>(glCallsCounted() - callsBefore);
      result.glCalls.push_back(record.glCalls);
      record.textureBinds =
          static_cast<std::uint32_t>(glCallsCountedTo("glBindTexture") - bindsBefore);
      record.materialChanges =
          static_cast<std::uint32_t>(glCallsCountedTo("glMaterialf") - materialsBefore);
      result.textureBinds.push_back(record.textureBinds);
      result.materialChanges.push_back(record.materialChanges);
    }
    const FmFrameStatistics& statistics = engine_.statistics();
    record.update = statistics.update().current;
    record.draw = statistics.draw().current;
    record.collision = statistics.collision().current;
    record.triangles = statistics.lastTriangles();
    if (!options_.traceFile.empty()) result.frameRecords.push_back(record);
    shots_.afterFrame(frame);
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
    if (options_.sampleEvery > 0 && frame % options_.sampleEvery == 0) {
      BenchSample sample = sampleOf(worker, frame, now);
      sample.heapKilobytes = engineHeapKilobytes(result);
      result.samples.push_back(sample);
    }
  }

private:
  static std::uint64_t engineHeapKilobytes(const BenchResult& result) {
    const std::uint64_t heap = heapBytesInUse();
    const std::uint64_t record = result.heldBytes();
    return heap > record ? (heap - record) / 1024 : 0;
  }

  bool firesAt(std::int32_t frame) const {
    if (options_.fireEvery > 0 && frame % options_.fireEvery == 0) return true;
    return std::find(options_.fireAt.begin(), options_.fireAt.end(), frame) !=
           options_.fireAt.end();
  }

  double secondsSince(std::uint64_t start) const { return secondsOn(frameClock_, start); }
  static double secondsOn(const FmClock& clock, std::uint64_t start) {
    const std::uint64_t frequency = clock.frequency();
    if (frequency == 0) return 0.0;
    return static_cast<double>(clock.counter() - start) / static_cast<double>(frequency);
  }

  const BenchOptions& options_;
  FmEngine& engine_;
  SteppedClock& clock_;
  BenchShots& shots_;
  const FmClock& frameClock_;
  const FmClock* cpuClock_;
  FmGLEngine* drawing_;
  float lastTime_ = 0.0f;
};

// Counts the OpenGL calls for as long as it lives.
class GlCallCounting {
public:
  GlCallCounting() { countGlCalls(true); }
  ~GlCallCounting() { countGlCalls(false); }
  GlCallCounting(const GlCallCounting&) = delete;
  GlCallCounting& operator=(const GlCallCounting&) = delete;
};

BenchResult playReadied(const BenchOptions& options, FmEngine& engine, SteppedClock& clock,
                        const FmClock& frameClock, const FmClock* cpuClock, FmGLEngine* drawing) {
  engine.start(headlessWidth, headlessHeight);
  BenchShots shots(options, drawing);
  BenchPlayer player(options, engine, clock, shots, frameClock, cpuClock, drawing);
  BenchResult result;
  // The run's record takes what room it can before the first frame, so that the
  // memory that the samples see grow is the level's.
  result.frameTimes.reserve(static_cast<std::size_t>(std::max(options.frames, 0)));
  if (cpuClock) result.frameCpuTimes.reserve(static_cast<std::size_t>(std::max(options.frames, 0)));
  if (drawing) {
    const auto frames = static_cast<std::size_t>(std::max(options.frames, 0));
    result.glCalls.reserve(frames);
    result.textureBinds.reserve(frames);
    result.materialChanges.reserve(frames);
  }
  if (!options.traceFile.empty()) {
    result.frameRecords.reserve(static_cast<std::size_t>(std::max(options.frames, 0)));
  }
  if (options.sampleEvery > 0) {
    result.samples.reserve(static_cast<std::size_t>(options.frames / options.sampleEvery + 1));
  }
  const FmWorker& worker = engine.scene().worker();
  result.levelBounds = levelBoundsOf(worker);
  if (worker.timerBar()) result.timeLimit = worker.timerBar()->getLimit();
  for (std::int32_t frame = 0; frame < options.frames; ++frame) {
    player.playFrame(frame, result);
    ++result.frames;
  }
  result.statistics = engine.statistics();
  return result;
}

BenchResult play(const BenchOptions& options, FmEngine& engine, SteppedClock& clock,
                 const FmClock& frameClock, const FmClock* cpuClock, FmGLEngine* drawing) {
  loadGameLevel(engine, options.levelFile, options.level, options.flock);
  BenchResult result = playReadied(options, engine, clock, frameClock, cpuClock, drawing);
  result.peakMemoryKilobytes = peakResidentKilobytes();
  return result;
}

}  // namespace

void BenchBox::add(const FmPoint& point, float radius) {
  minimum = {std::min(minimum.x, point.x - radius), std::min(minimum.y, point.y - radius),
             std::min(minimum.z, point.z - radius)};
  maximum = {std::max(maximum.x, point.x + radius), std::max(maximum.y, point.y + radius),
             std::max(maximum.z, point.z + radius)};
}

std::size_t BenchResult::heldBytes() const {
  return events.capacity() * sizeof(BenchEvent) + samples.capacity() * sizeof(BenchSample) +
         frameTimes.heldBytes() + frameCpuTimes.heldBytes() +
         (glCalls.capacity() + textureBinds.capacity() + materialChanges.capacity()) *
             sizeof(std::uint32_t) +
         frameRecords.capacity() * sizeof(BenchFrame);
}

std::string_view kindName(BenchEvent::Kind kind) {
  switch (kind) {
    case BenchEvent::Kind::hit:
      return "hit";
    case BenchEvent::Kind::win:
      return "win";
    case BenchEvent::Kind::fail:
      return "fail";
    case BenchEvent::Kind::launch:
      return "launch";
    case BenchEvent::Kind::wrap:
      return "wrap";
  }
  return "unknown";
}

BenchResult runBench(const BenchOptions& options, const FmClock& frameClock,
                     const FmClock* cpuClock) {
  SteppedClock clock;
  if (!options.draw) {
    FmEngine engine(clock, frameClock);
    return play(options, engine, clock, frameClock, cpuClock, nullptr);
  }
  const GlCallCounting counting;
  const OffscreenGlContext context(headlessWidth, headlessHeight, headlessColourBits);
  if (!context.isValid()) throw BenchDrawError(context.error());
  FmGLEngine engine(clock, frameClock);
  BenchResult result = play(options, engine, clock, frameClock, cpuClock, &engine);
  engine.releaseResources();
  return result;
}

BenchResult playReadiedLevel(const BenchOptions& options, FmEngine& engine, SteppedClock& clock,
                             const FmClock& frameClock) {
  return playReadied(options, engine, clock, frameClock, nullptr, nullptr);
}
