#include "ScratchFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

ScratchFile::ScratchFile(const std::string& stem) {
  std::random_device random;
  const auto name = "zirrow-fuzz-" + stem + "-" + std::to_string(random()) + "-" +
                    std::to_string(random()) + ".bin";
  path_ = (std::filesystem::temp_directory_path() / name).string();
}

ScratchFile::~ScratchFile() {
  remove();
}

void ScratchFile::remove() const {
  std::error_code ignored;
  std::filesystem::remove(path_, ignored);
}

bool ScratchFile::write(const std::uint8_t* data, std::size_t size) const {
  remove();
  std::ofstream out(path_, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return static_cast<bool>(out.flush());
}

std::vector<std::uint8_t> ScratchFile::bytes() const {
  std::ifstream in(path_, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
