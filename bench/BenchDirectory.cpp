#include "BenchDirectory.h"

#include <random>
#include <system_error>

BenchDirectory::BenchDirectory(const std::string& stem)
    : path_(std::filesystem::temp_directory_path() /
            ("zirrow-" + stem + "-" + std::to_string(std::random_device{}()))) {
  std::filesystem::create_directories(path_);
}

BenchDirectory::~BenchDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}
