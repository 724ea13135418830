#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

// A file name in the test's temporary directory, removed when the test ends.
class TempFile {
public:
  // Test programs run side by side and their heap addresses repeat from run to run,
  // so the name takes a random part.
  explicit TempFile(const std::string& stem) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            ("zirrow-" + std::string(info ? info->name() : "suite") + "-" + stem + "-" +
             std::to_string(std::random_device{}()));
  }
  ~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const char* c_str() const { return native_.assign(path_.string()).c_str(); }
  const std::filesystem::path& path() const { return path_; }

  std::vector<unsigned char> bytes() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void write(const std::vector<unsigned char>& bytes) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
  }

private:
  std::filesystem::path path_;
  mutable std::string native_;
};
