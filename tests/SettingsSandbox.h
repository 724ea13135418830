#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A temporary folder whose settings.reg ZIRROW_SETTINGS names while the sandbox lives, so
// that tests never touch the user's own settings.
class SettingsSandbox {
public:
  SettingsSandbox() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              ("zirrow-settings-" + std::string(info ? info->name() : "test") + "-" +
               std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(folder_);
    if (const char* value = std::getenv("ZIRROW_SETTINGS")) previous_ = value;
    setenv("ZIRROW_SETTINGS", file().c_str(), 1);
  }
  ~SettingsSandbox() {
    if (previous_) {
      setenv("ZIRROW_SETTINGS", previous_->c_str(), 1);
    } else {
      unsetenv("ZIRROW_SETTINGS");
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  SettingsSandbox(const SettingsSandbox&) = delete;
  SettingsSandbox& operator=(const SettingsSandbox&) = delete;

  const std::filesystem::path& folder() const { return folder_; }
  std::filesystem::path file() const { return folder_ / "settings.reg"; }
  bool exists() const { return std::filesystem::exists(file()); }

  void write(std::string_view text) const {
    std::ofstream out(file(), std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  std::string read() const {
    std::ifstream in(file(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::vector<std::string> folderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

private:
  std::filesystem::path folder_;
  std::optional<std::string> previous_;
};
