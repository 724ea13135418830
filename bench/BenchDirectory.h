#pragma once

#include <filesystem>
#include <string>

// A fresh directory under the system's temporary directory, removed with everything
// in it when the object goes. Benchmarks running side by side get different names.
class BenchDirectory {
public:
  explicit BenchDirectory(const std::string& stem);
  ~BenchDirectory();
  BenchDirectory(const BenchDirectory&) = delete;
  BenchDirectory& operator=(const BenchDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
  std::filesystem::path path_;
};
