#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "FmScene.h"
#include "RWCollectable.h"
#include "RWObjectProtocol.h"

// One file of the object protocol read with every safety check: the objects it
// holds with their persistence numbers, and what is wrong with it, if anything.
// A file whose top-level record is a scene is read into a scene, which loads the
// chosen level of a multi-level file. The objects live as long as the LevelFile.
class LevelFile {
public:
  explicit LevelFile(const std::string& path, std::int32_t level = 1);
  // Reads the bytes of a file held in memory, under the name.
  LevelFile(std::vector<std::uint8_t> bytes, const std::string& name, std::int32_t level = 1);
  ~LevelFile();
  LevelFile(const LevelFile&) = delete;
  LevelFile& operator=(const LevelFile&) = delete;

  // The top-level object, or nil.
  const RWCollectable* top() const { return top_; }
  // The scene, when the file holds one.
  const FmScene* scene() const { return scene_.get(); }
  // Every object read that still exists, in the order of its persistence number.
  std::vector<RWReadLog::Entry> objects() const { return log_.entries(); }
  bool ok() const { return problem_.empty(); }
  // The error's message, or a description of where the file ends early.
  const std::string& problem() const { return problem_; }

private:
  void read(RWBinaryFile& file, std::int32_t level);
  void readTopLevel(RWBinaryFile& file, std::int32_t level);
  void checkLevel(std::int32_t level);

  RWReadLog log_;
  std::unique_ptr<FmScene> scene_;
  RWCollectable* top_ = nullptr;
  std::string problem_;
};
