// Level load: a large generated level parsed and built into its objects (no OpenGL),
// against a plain read of the same bytes from the warm file cache.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

#include "BenchDirectory.h"
#include "BenchProgram.h"
#include "FmEngine.h"
#include "FmScene.h"
#include "LargeLevel.h"
#include "RWBinaryFile.h"
#include "RWErrors.h"
#include "RWObjectProtocol.h"
#include "RWOrdered.h"
#include "RWSet.h"
#include "SteppedClock.h"

namespace {

struct LoadSetup {
  std::string path;
  LargeLevel::Size size;
};

std::vector<char> readWhole(const std::string& path) {
  std::vector<char> bytes(std::filesystem::file_size(path));
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return {};
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  bytes.resize(got);
  return bytes;
}

void plainRead(benchmark::State& state, const LoadSetup& setup) {
  const auto expected = std::filesystem::file_size(setup.path);
  for (auto _ : state) {
    std::vector<char> bytes = readWhole(setup.path);
    benchmark::DoNotOptimize(bytes.data());
    if (bytes.size() != expected) state.SkipWithError("short read");
    state.PauseTiming();
    bytes = {};
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * expected));
}

// The same read into memory that earlier iterations have already touched: the floor
// without the cost of fresh pages, which some virtual machines make very slow.
void plainReadWarm(benchmark::State& state, const LoadSetup& setup) {
  const auto expected = std::filesystem::file_size(setup.path);
  std::vector<char> bytes(expected);
  for (auto _ : state) {
    std::FILE* file = std::fopen(setup.path.c_str(), "rb");
    const std::size_t got = file ? std::fread(bytes.data(), 1, bytes.size(), file) : 0;
    if (file) std::fclose(file);
    benchmark::DoNotOptimize(bytes.data());
    if (got != expected) state.SkipWithError("short read");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * expected));
}

// The engine's reader: the whole scene with every check, into a fresh scene.
std::unique_ptr<FmScene> readLevel(const std::string& path) {
  auto scene = std::make_unique<FmScene>();
  RWBinaryFile file(path.c_str(), "rb");
  RWReadLog log;
  readObject(file, scene.get());
  if (file.firstShortRead() >= 0 || file.error()) return nullptr;
  return scene;
}

void levelLoad(benchmark::State& state, const LoadSetup& setup) {
  const auto expected = std::filesystem::file_size(setup.path);
  for (auto _ : state) {
    std::unique_ptr<FmScene> scene = readLevel(setup.path);
    if (!scene || scene->textures().entryCount() != static_cast<std::size_t>(setup.size.textures)) {
      state.SkipWithError("level did not load whole");
    }
    state.PauseTiming();
    scene.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * expected));
}

// The game's load: the engine reads into a scene of its own and replaces its
// loaded scene with it.
void engineLoad(benchmark::State& state, const LoadSetup& setup) {
  const SteppedClock clock;
  for (auto _ : state) {
    auto engine = std::make_unique<FmEngine>(clock);
    try {
      engine->loadScene(setup.path.c_str());
    } catch (const RWxmsg& error) {
      state.SkipWithError(error.why());
    }
    state.PauseTiming();
    engine.reset();
    state.ResumeTiming();
  }
}

// Large collections: a list of many nil elements and a set of many plain objects,
// both inside one list, as a hostile or merely big file holds them.
struct CollectionSize {
  std::size_t listElements;
  std::size_t setElements;
};

bool writeCollections(const std::string& path, const CollectionSize& size) {
  RWOrdered nils;
  for (std::size_t i = 0; i < size.listElements; ++i) nils.append(nullptr);
  RWSet objects;
  for (std::size_t i = 0; i < size.setElements; ++i) objects.insert(new RWCollectable);
  RWOrdered top;
  top.append(&nils);
  top.append(&objects);
  RWBinaryFile file(path.c_str(), "wb");
  writeObject(file, &top);
  objects.clearAndDestroy();
  return file.flush() && !file.error();
}

void collectionsLoad(benchmark::State& state, const LoadSetup& setup) {
  for (auto _ : state) {
    RWBinaryFile file(setup.path.c_str(), "rb");
    RWReadLog log;
    std::unique_ptr<RWCollectable> top(readObject(file));
    if (file.firstShortRead() >= 0 || file.error() || !top) state.SkipWithError("short read");
    state.PauseTiming();
    log.destroyCreated();
    top.release();
    state.ResumeTiming();
  }
}

}  // namespace

int main(int argc, char** argv) {
  BenchProgram program(argc, argv);
  if (!program.argumentsValid()) return 1;
  const BenchDirectory directory("load-bench");
  LoadSetup setup{directory.file("large.zrw"),
                  program.tiny() ? LargeLevel::tiny() : LargeLevel::full()};
  if (!LargeLevel::write(setup.path, setup.size)) {
    std::cerr << "cannot write " << setup.path << "\n";
    return 1;
  }
  std::cout << "level file: " << std::filesystem::file_size(setup.path) << " bytes\n";
  const CollectionSize collectionSize =
      program.tiny() ? CollectionSize{100, 100} : CollectionSize{2000000, 200000};
  LoadSetup collections{directory.file("collections.zrw"), setup.size};
  if (!writeCollections(collections.path, collectionSize)) {
    std::cerr << "cannot write " << collections.path << "\n";
    return 1;
  }
  benchmark::RegisterBenchmark("plain_read", plainRead, setup)
      ->UseRealTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("plain_read_warm", plainReadWarm, setup)
      ->UseRealTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("level_load", levelLoad, setup)
      ->UseRealTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("engine_load", engineLoad, setup)
      ->UseRealTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("collections_read_warm", plainReadWarm, collections)
      ->UseRealTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("collections_load", collectionsLoad, collections)
      ->UseRealTime()
      ->Unit(benchmark::kMillisecond);
  program.runBenchmarks();
  program.timeRatio("level load / plain read into touched memory", "level_load", "plain_read_warm",
                    2.0);
  program.plainRatio("level load / plain read into a new buffer", "level_load", "plain_read");
  program.timeRatio("game load / plain read into touched memory", "engine_load", "plain_read_warm",
                    2.5);
  program.plainRatio("2M-element list + 200k-element set / plain read", "collections_load",
                     "collections_read_warm");
  return program.finish(std::cout);
}
