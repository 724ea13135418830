#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A file in the temporary directory through which bytes held in memory reach the
// readers, which read named files. Its name takes a random part, so that runs side
// by side do not share it; it is removed with the object.
class ScratchFile {
public:
  explicit ScratchFile(const std::string& stem);
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::string& path() const { return path_; }
  // Removes the file. A file written anew, rather than cut to nothing and rewritten,
  // is not flushed to the disk when it is closed (ext4 flushes such rewrites).
  void remove() const;
  // Replaces the file's content; false when it can't be written.
  bool write(const std::uint8_t* data, std::size_t size) const;
  std::vector<std::uint8_t> bytes() const;

private:
  std::string path_;
};
