#pragma once

#include <string>
#include <vector>

#include "FmScene.h"
#include "RWOrdered.h"

// Writes a scene file that holds several levels: the scene record with the level
// count, the table of the levels' file positions, the objects that the levels
// share (textures), then one body per level. A reader reads the shared objects
// and exactly one body, so each body is numbered as if it came straight after the
// shared objects: a level may refer back to a shared object, never to another
// level's. A level lists only its own textures: the reader keeps the shared ones
// that the level shows, wherever they are shown, and drops the others.
class MultiLevelWriter {
public:
  // The shared textures stay the caller's; the writer only refers to them.
  explicit MultiLevelWriter(const RWOrdered& shared) : shared_(shared) {}

  // The level's worker, textures, fogs, ambient light, auxiliary node and
  // duration form its body; the scene must outlive the writer.
  void addLevel(const FmScene& level) { levels_.push_back(&level); }
  std::size_t levelCount() const { return levels_.size(); }

  // Creates (or replaces) the file; false when it can't be written. Needs at
  // least two levels: a file of one level is an ordinary scene file.
  bool write(const std::string& path) const;

private:
  class Record;

  const RWOrdered& shared_;
  std::vector<const FmScene*> levels_;
};
