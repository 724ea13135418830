#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "RWCollectable.h"
#include "RWObjectProtocol.h"

// One file of the object protocol read with every safety check: the objects it
// holds with their persistence numbers, and what is wrong with it, if anything.
// The objects live as long as the LevelFile.
class LevelFile {
public:
  explicit LevelFile(const std::string& path);
  ~LevelFile();
  LevelFile(const LevelFile&) = delete;
  LevelFile& operator=(const LevelFile&) = delete;

  // The top-level object, or nil.
  const RWCollectable* top() const { return top_; }
  // Every object read, in the order of its persistence number.
  std::vector<RWReadLog::Entry> objects() const { return log_.entries(); }
  bool ok() const { return problem_.empty(); }
  // The error's message, or a description of where the file ends early.
  const std::string& problem() const { return problem_; }

private:
  void read(const std::string& path);

  RWReadLog log_;
  RWCollectable* top_ = nullptr;
  std::string problem_;
};
