#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "RegistryKey.h"
#include "SettingsSandbox.h"

namespace {

constexpr const char* gamePath = "Software\\Fenmarrow\\ZirrowDemo";

const std::string settingsText =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo]\n"
    "\"level\"=dword:0000000c\n"
    "\"name\"=\"pilot\"\n\n"
    "[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo\\Display]\n"
    "\"width\"=dword:00000400\n";

}  // namespace

TEST(RegistryKey, OpensOnlyKeysThatExist) {
  const SettingsSandbox sandbox;
  RegistryKey key;
  EXPECT_EQ(key.open(gamePath, RegistryAccess::all), RegistryResult::keyDoesNotExist);
  EXPECT_FALSE(key.isOpen());

  sandbox.write(settingsText);
  ASSERT_EQ(key.open(gamePath, RegistryAccess::all), RegistryResult::success);
  RegistryKey display;
  ASSERT_EQ(display.open(key, "Display", RegistryAccess::query), RegistryResult::success);
  RegistryKey missing;
  EXPECT_EQ(missing.open(key, "Sound", RegistryAccess::query), RegistryResult::keyDoesNotExist);
  EXPECT_EQ(missing.open(RegistryKey{}, "Display", RegistryAccess::query), RegistryResult::notOpen);
  std::uint32_t width = 0;
  EXPECT_EQ(display.queryDword("width", width), RegistryResult::success);
  EXPECT_EQ(width, 1024u);
  display.close();
  EXPECT_EQ(display.queryDword("width", width), RegistryResult::notOpen);
}

TEST(RegistryKey, QueriesTypedValuesWithinTheirSize) {
  const SettingsSandbox sandbox;
  sandbox.write(settingsText);
  RegistryKey key;
  ASSERT_EQ(key.open(gamePath, RegistryAccess::query), RegistryResult::success);
  std::uint32_t number = 99;
  std::string text = "kept";
  EXPECT_EQ(key.queryDword("name", number), RegistryResult::wrongType);
  EXPECT_EQ(key.queryString("level", 200, text), RegistryResult::wrongType);
  EXPECT_EQ(key.queryDword("joyStick", number), RegistryResult::valueDoesNotExist);
  EXPECT_EQ(number, 99u);
  // "pilot" and its terminating zero take six bytes.
  EXPECT_EQ(key.queryString("name", 5, text), RegistryResult::moreData);
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(key.queryString("name", 6, text), RegistryResult::success);
  EXPECT_EQ(text, "pilot");
}

TEST(RegistryKey, SetsValuesIntoTheFileAsTheAccessAllows) {
  const SettingsSandbox sandbox;
  sandbox.write(settingsText);
  RegistryKey reader;
  ASSERT_EQ(reader.open(gamePath, RegistryAccess::query), RegistryResult::success);
  EXPECT_EQ(reader.setDword("level", 1), RegistryResult::accessDenied);
  EXPECT_EQ(sandbox.read(), settingsText);

  RegistryKey writer;
  ASSERT_EQ(writer.open(gamePath, RegistryAccess::setValue), RegistryResult::success);
  std::uint32_t number = 0;
  EXPECT_EQ(writer.queryDword("level", number), RegistryResult::accessDenied);
  EXPECT_EQ(writer.setDword("level", 16), RegistryResult::success);
  EXPECT_EQ(writer.setString("name", "ace \"one\""), RegistryResult::success);
  EXPECT_EQ(writer.setString("two", "a\nb"), RegistryResult::invalidValue);

  RegistryKey reopened;
  ASSERT_EQ(reopened.open(gamePath, RegistryAccess::query), RegistryResult::success);
  std::string name;
  EXPECT_EQ(reopened.queryDword("level", number), RegistryResult::success);
  EXPECT_EQ(number, 16u);
  EXPECT_EQ(reopened.queryString("name", 200, name), RegistryResult::success);
  EXPECT_EQ(name, "ace \"one\"");
  RegistryKey display;
  ASSERT_EQ(display.open(reopened, "Display", RegistryAccess::query), RegistryResult::success);
  EXPECT_EQ(display.queryDword("width", number), RegistryResult::success);
  EXPECT_EQ(number, 1024u);
}

TEST(RegistryKey, CreateMakesTheKeyTheFileAndItsFolder) {
  const SettingsSandbox sandbox;
  const auto nested = sandbox.folder() / "config" / "zirrow" / "settings.reg";
  setenv("ZIRROW_SETTINGS", nested.c_str(), 1);
  ASSERT_EQ(RegistryKey::create(gamePath), RegistryResult::success);
  RegistryKey key;
  ASSERT_EQ(key.open(gamePath, RegistryAccess::all), RegistryResult::success);
  EXPECT_EQ(key.setDword("level", 3), RegistryResult::success);

  // Creating again, or creating a sibling, keeps what the file holds.
  ASSERT_EQ(RegistryKey::create(gamePath), RegistryResult::success);
  ASSERT_EQ(RegistryKey::create("Software\\Other"), RegistryResult::success);
  std::uint32_t level = 0;
  ASSERT_EQ(key.open(gamePath, RegistryAccess::query), RegistryResult::success);
  EXPECT_EQ(key.queryDword("level", level), RegistryResult::success);
  EXPECT_EQ(level, 3u);
}

TEST(RegistryKey, CreateLeavesAnUnreadableFileAlone) {
  const SettingsSandbox sandbox;
  sandbox.write("not a registry file\n");
  EXPECT_EQ(RegistryKey::create(gamePath), RegistryResult::writeFailed);
  EXPECT_EQ(sandbox.read(), "not a registry file\n");
}

TEST(RegistryFilePath, FollowsTheEnvironment) {
  const SettingsSandbox sandbox;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const std::string savedXdg = xdg ? xdg : "";
  EXPECT_EQ(RegistryFile::settingsPath(), sandbox.file().string());
  unsetenv("ZIRROW_SETTINGS");
  setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(RegistryFile::settingsPath(), "/cfg/zirrow/settings.reg");
  setenv("XDG_CONFIG_HOME", "relative", 1);
  const char* home = std::getenv("HOME");
  if (home && *home) {
    EXPECT_EQ(RegistryFile::settingsPath(), std::string(home) + "/.config/zirrow/settings.reg");
  }
  if (xdg) {
    setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}
