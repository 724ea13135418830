// Engine thinking per frame (update and collision, nothing drawn): the demo level,
// flocks of N members against a bare N x N squared-distance kernel over the same
// member positions, and flocks too large for that kernel's matrix against the
// frame time they must think within and against half their size.

#include <benchmark/benchmark.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "BenchDirectory.h"
#include "BenchProgram.h"
#include "DemoCreatures.h"
#include "DemoWriter.h"
#include "FmBoidController.h"
#include "FmEngine.h"
#include "FmFlock.h"
#include "RWErrors.h"
#include "SteppedClock.h"

namespace {

constexpr double frameStep = 1.0 / 30.0;
// Flocks gather as they fly; restarting them this often keeps every frame measured
// alike.
constexpr std::int64_t flockRestartFrames = 300;
constexpr int viewWidth = 800;
constexpr int viewHeight = 600;

// An engine without drawing that plays its frames at a fixed step.
class ThinkingEngine {
public:
  ThinkingEngine() : engine_(std::make_unique<FmEngine>(clock_)) {}

  FmEngine& engine() { return *engine_; }

  void start() { engine_->start(viewWidth, viewHeight); }

  void frame() {
    clock_.setSeconds(static_cast<double>(frames_++) * frameStep);
    const float now = engine_->currentTime();
    engine_->frame(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f);
    engine_->setWinEvent(false);
    if (engine_->failEvent()) {
      engine_->setFailEvent(false);
      engine_->scene().worker().restartFlock(now);
    }
  }

  std::int64_t frames() const { return frames_; }

private:
  SteppedClock clock_;
  std::unique_ptr<FmEngine> engine_;
  std::int64_t frames_ = 0;
};

void demoFrame(benchmark::State& state, const std::string& levelPath) {
  ThinkingEngine thinking;
  try {
    thinking.engine().loadScene(levelPath.c_str());
  } catch (const RWxmsg& error) {
    state.SkipWithError(error.why());
    return;
  }
  thinking.engine().scene().worker().findTemplate("Bouncer");
  thinking.start();
  for (auto _ : state) thinking.frame();
}

// A scene of one active flock of `members` demo creatures that never runs out of time.
void buildFlockScene(FmEngine& engine, int members) {
  FmWorker& worker = engine.scene().worker();
  worker.addNode(DemoCreatures::creature("gull", 3.0f, nullptr), nullptr);
  DemoCreatures::FlockPlan plan;
  plan.name = "gulls";
  plan.creature = "gull";
  plan.members = members;
  plan.timeLimit = 0;
  worker.addNode(DemoCreatures::flock(plan, true), nullptr);
}

FmFlock& onlyFlock(FmEngine& engine) {
  return *static_cast<FmFlock*>(engine.scene().worker().flocks().elementAt(0));
}

void flockFrame(benchmark::State& state, int members) {
  ThinkingEngine thinking;
  buildFlockScene(thinking.engine(), members);
  thinking.start();
  if (onlyFlock(thinking.engine()).childCount() != static_cast<std::size_t>(members)) {
    state.SkipWithError("the flock did not get its members");
    return;
  }
  for (auto _ : state) {
    thinking.frame();
    if (thinking.frames() % flockRestartFrames == 0) {
      state.PauseTiming();
      thinking.engine().scene().worker().restartFlock(thinking.engine().lastTime());
      state.ResumeTiming();
    }
  }
}

std::vector<FmPoint> memberPositions(const FmFlock& flock) {
  std::vector<FmPoint> positions;
  for (std::size_t i = 0; i < flock.childCount(); ++i) {
    if (const auto* boid = dynamic_cast<const FmBoidController*>(flock.childAt(i)->controller())) {
      positions.push_back(boid->position().value());
    }
  }
  return positions;
}

// Every pair's squared distance into an N x N matrix, over the positions of a
// freshly started flock.
void distanceKernel(benchmark::State& state, int members) {
  ThinkingEngine thinking;
  buildFlockScene(thinking.engine(), members);
  thinking.start();
  const std::vector<FmPoint> positions = memberPositions(onlyFlock(thinking.engine()));
  const std::size_t n = positions.size();
  std::vector<float> distances(n * n);
  for (auto _ : state) {
    for (std::size_t i = 0; i < n; ++i) {
      const FmPoint p = positions[i];
      float* row = distances.data() + i * n;
      for (std::size_t j = 0; j < n; ++j) {
        const float dx = p.x - positions[j].x;
        const float dy = p.y - positions[j].y;
        const float dz = p.z - positions[j].z;
        row[j] = dx * dx + dy * dy + dz * dz;
      }
    }
    benchmark::DoNotOptimize(distances.data());
    benchmark::ClobberMemory();
  }
}

std::string named(const char* stem, int members) {
  return std::string(stem) + "_" + std::to_string(members);
}

}  // namespace

int main(int argc, char** argv) {
  BenchProgram program(argc, argv);
  if (!program.argumentsValid()) return 1;
  const BenchDirectory directory("think-bench");
  const std::string error = DemoWriter::write(directory.path().string());
  if (!error.empty()) {
    std::cerr << error << "\n";
    return 1;
  }
  const std::string demoPath = directory.file(DemoWriter::sceneFileName);
  // Sizes up to the last kernel size are measured against the kernel as well.
  const std::vector<int> sizes = program.tiny() ? std::vector<int>{10, 20, 40}
                                                : std::vector<int>{250, 1000, 2000, 5000, 10000};
  const int lastKernelSize = program.tiny() ? 40 : 2000;
  const int kernelGoalSize = program.tiny() ? 20 : 1000;
  constexpr double largestThinkMilliseconds = 5.0;
  benchmark::RegisterBenchmark("demo_frame", demoFrame, demoPath)
      ->UseRealTime()
      ->Unit(benchmark::kMicrosecond);
  for (const int members : sizes) {
    benchmark::RegisterBenchmark(named("flock_frame", members).c_str(), flockFrame, members)
        ->UseRealTime()
        ->Unit(benchmark::kMicrosecond);
    if (members > lastKernelSize) continue;
    benchmark::RegisterBenchmark(named("kernel", members).c_str(), distanceKernel, members)
        ->UseRealTime()
        ->Unit(benchmark::kMicrosecond);
  }
  program.runBenchmarks();
  program.plainValue("demo level think per frame", "demo_frame");
  for (const int members : sizes) {
    if (members > lastKernelSize) continue;
    const std::string measure = "flock N=" + std::to_string(members) + " frame / NxN kernel";
    if (members == kernelGoalSize) {
      program.timeRatio(measure, named("flock_frame", members), named("kernel", members), 2.0);
    } else {
      program.plainRatio(measure, named("flock_frame", members), named("kernel", members));
    }
  }
  const int largest = sizes.back();
  const int half = largest / 2;
  program.timeAtMost("flock N=" + std::to_string(largest) + " think per frame",
                     named("flock_frame", largest), largestThinkMilliseconds);
  program.timeRatio(
      "flock frame t(" + std::to_string(largest) + ")/t(" + std::to_string(half) + ")",
      named("flock_frame", largest), named("flock_frame", half), 2.2);
  return program.finish(std::cout);
}
