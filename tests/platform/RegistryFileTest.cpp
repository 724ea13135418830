#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "RegistryFile.h"
#include "SettingsSandbox.h"

namespace {

constexpr const char* gameKey = "HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo";
constexpr const char* displayKey = "HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo\\Display";

const std::string exported =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "; written by hand\r\n"
    "[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo\\Display]\r\n"
    "\"width\"=dword:00000320\r\n"
    "\"snapshotDir\"=\"C:\\\\shots\\\\ \\\"new\\\"\"\r\n"
    "\"palette\"=hex:01,02,\\\r\n"
    "  03,04\r\n"
    "\"Height\" = dword:258\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Other]\r\n"
    "\"level\"=dword:00000007\r\n";

std::uint32_t numberOf(const RegistryFile& file, const char* key, const char* name) {
  const auto value = file.findValue(key, name);
  EXPECT_TRUE(value && value->type == RegistryType::dword) << name;
  return value ? value->number : 0;
}

}  // namespace

TEST(RegistryFile, ReadsTheExportFormat) {
  const RegistryFile file = RegistryFile::parse(exported);
  ASSERT_EQ(file.state(), RegistryFile::State::loaded);
  EXPECT_EQ(numberOf(file, displayKey, "width"), 800u);
  // Key and value names are matched without regard to case, blanks around '=' are allowed.
  EXPECT_EQ(numberOf(file, "hkey_current_user\\software\\fenmarrow\\zirrowdemo\\display", "height"),
            600u);
  const auto shots = file.findValue(displayKey, "snapshotDir");
  ASSERT_TRUE(shots && shots->type == RegistryType::string);
  EXPECT_EQ(shots->text, "C:\\shots\\ \"new\"");
  const auto palette = file.findValue(displayKey, "palette");
  ASSERT_TRUE(palette);
  EXPECT_EQ(palette->type, RegistryType::other);
  EXPECT_FALSE(file.findValue(displayKey, "level"));
  EXPECT_EQ(numberOf(file, "HKEY_CURRENT_USER\\Software\\Other", "level"), 7u);
  EXPECT_EQ(RegistryFile::parse("REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:1\n").state(),
            RegistryFile::State::loaded);
  EXPECT_EQ(RegistryFile::parse("\xEF\xBB\xBFREGEDIT4\n").state(), RegistryFile::State::loaded);
}

TEST(RegistryFile, KeysExistThroughTheirOwnOrASubkeySection) {
  const RegistryFile file = RegistryFile::parse(
      "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo\\Display]\n"
      "[HKEY_CURRENT_USER\\Software\\LongerName]\n[-HKEY_CURRENT_USER\\Software\\Gone]\n");
  EXPECT_TRUE(file.hasKey(displayKey));
  EXPECT_TRUE(file.hasKey(gameKey));
  EXPECT_TRUE(file.hasKey("HKEY_CURRENT_USER\\Software"));
  EXPECT_FALSE(file.hasKey("HKEY_CURRENT_USER\\Software\\Longer"));
  EXPECT_FALSE(file.hasKey("HKEY_CURRENT_USER\\Software\\Gone"));
  EXPECT_FALSE(file.hasKey("HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo\\Display\\Deeper"));
}

TEST(RegistryFile, LaterLinesOverrideAndDeleteEarlierOnes) {
  const RegistryFile file = RegistryFile::parse(
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:1\n\"y\"=dword:1\n"
      "[HKEY_CURRENT_USER\\A]\n\"x\"=dword:2\n\"y\"=-\n");
  EXPECT_EQ(numberOf(file, "HKEY_CURRENT_USER\\A", "x"), 2u);
  EXPECT_FALSE(file.findValue("HKEY_CURRENT_USER\\A", "y"));
}

TEST(RegistryFile, MalformedLinesAreNotValuesButAreKept) {
  const std::string text =
      "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n"
      "\"open\"=\"no end\n"
      "\"escape\"=\"bad \\n escape\"\n"
      "\"long\"=dword:123456789\n"
      "\"notHex\"=dword:12g4\n"
      "\"empty\"=dword:\n"
      "\"trailing\"=\"text\" more\n"
      "\"noEquals\" dword:1\n"
      "garbage \x01\x02\xff\n"
      "[unclosed\n";
  RegistryFile file = RegistryFile::parse(text);
  ASSERT_EQ(file.state(), RegistryFile::State::loaded);
  for (const char* name : {"open", "escape", "long", "notHex", "empty", "trailing", "noEquals"}) {
    EXPECT_FALSE(file.findValue("HKEY_CURRENT_USER\\A", name)) << name;
  }
  EXPECT_EQ(file.text(), text);
}

TEST(RegistryFile, WithoutTheHeaderHoldsNothingAndCannotBeChanged) {
  for (const std::string& text :
       {std::string("[HKEY_CURRENT_USER\\A]\n\"x\"=dword:1\n"),
        std::string("Windows Registry Editor\n"), std::string("\0\1\2garbage", 10)}) {
    RegistryFile file = RegistryFile::parse(text);
    EXPECT_EQ(file.state(), RegistryFile::State::malformed);
    EXPECT_FALSE(file.hasKey("HKEY_CURRENT_USER\\A"));
    EXPECT_FALSE(file.addKey("HKEY_CURRENT_USER\\A"));
    EXPECT_FALSE(file.setValue("HKEY_CURRENT_USER\\A", "x", {RegistryType::dword, 2, {}}));
  }
}

TEST(RegistryFile, SettingValuesChangesOnlyTheirLines) {
  RegistryFile file = RegistryFile::parse(exported);
  ASSERT_EQ(file.text(), exported);

  ASSERT_TRUE(file.setValue(displayKey, "width", {RegistryType::dword, 1024, {}}));
  ASSERT_TRUE(file.setValue(displayKey, "palette", {RegistryType::dword, 0xabcdef01, {}}));
  ASSERT_TRUE(file.setValue(displayKey, "sceneDir", {RegistryType::string, 0, "a\\b \"c\""}));
  std::string expected = exported;
  expected.replace(expected.find("dword:00000320"), 14, "dword:00000400");
  expected.replace(expected.find("\"palette\"=hex:01,02,\\\r\n  03,04"), 30,
                   "\"palette\"=dword:abcdef01");
  expected.insert(expected.find("\r\n[HKEY_CURRENT_USER\\Software\\Other]"),
                  "\"sceneDir\"=\"a\\\\b \\\"c\\\"\"\r\n");
  EXPECT_EQ(file.text(), expected);

  const RegistryFile reread = RegistryFile::parse(file.text());
  EXPECT_EQ(numberOf(reread, displayKey, "width"), 1024u);
  EXPECT_EQ(reread.findValue(displayKey, "sceneDir")->text, "a\\b \"c\"");
}

// A file of bare line feeds may hold a line that ends in a carriage return (edited
// on another system); rewriting the file keeps that line as it was.
TEST(RegistryFile, LinesKeepTheirOwnCarriageReturnsInAFileOfLineFeeds) {
  const std::string mixed =
      "Windows Registry Editor Version 5.00\n"
      "\r\r\n"
      "[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo\\Display]\r\n"
      "\"width\"=dword:00000320\r\n";
  RegistryFile file = RegistryFile::parse(mixed);
  EXPECT_EQ(file.text(), mixed);
  EXPECT_EQ(numberOf(file, displayKey, "width"), 800u);
  ASSERT_TRUE(file.setValue(displayKey, "height", {RegistryType::dword, 600, {}}));
  EXPECT_EQ(file.text(), mixed + "\"height\"=dword:00000258\n");
}

// A binary value whose last line promises a continuation would take a value line
// written after it as its own; the new value goes before it.
TEST(RegistryFile, ANewValueIsNotWrittenWhereAnOpenContinuationTakesIt) {
  const std::string open =
      "Windows Registry Editor Version 5.00\n"
      "[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo]\n"
      "\"blob\"=hex:01,\\";
  RegistryFile file = RegistryFile::parse(open);
  ASSERT_TRUE(file.setValue(gameKey, "level", {RegistryType::dword, 42, {}}));
  const RegistryFile reread = RegistryFile::parse(file.text());
  EXPECT_EQ(numberOf(reread, gameKey, "level"), 42u);
  EXPECT_TRUE(reread.findValue(gameKey, "blob").has_value());
}

TEST(RegistryFile, RefusesWhatTheFormatCannotHold) {
  RegistryFile file = RegistryFile::parse(exported);
  EXPECT_FALSE(file.setValue(gameKey + std::string("X"), "level", {RegistryType::dword, 1, {}}));
  EXPECT_FALSE(file.setValue(displayKey, "sceneDir", {RegistryType::string, 0, "two\nlines"}));
  EXPECT_FALSE(file.setValue(displayKey, "bad\rname", {RegistryType::dword, 1, {}}));
  EXPECT_FALSE(file.setValue(displayKey, "blob", {}));
  EXPECT_FALSE(file.addKey("HKEY_CURRENT_USER\\[odd]"));
  EXPECT_EQ(file.text(), exported);
}

TEST(RegistryFile, AddingAKeyToANewFileWritesTheHeader) {
  for (const char* empty : {"", "\n \n\t\n"}) {
    RegistryFile file = RegistryFile::parse(empty);
    ASSERT_TRUE(file.addKey(gameKey));
    ASSERT_TRUE(file.setValue(gameKey, "level", {RegistryType::dword, 12, {}}));
    EXPECT_EQ(file.text(),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Software\\Fenmarrow\\ZirrowDemo]\n"
              "\"level\"=dword:0000000c\n");
  }
  // A value for a key known only through its subkey opens a section of its own.
  RegistryFile implicit = RegistryFile::parse(std::string("REGEDIT4\n[") + displayKey + "]\n");
  ASSERT_TRUE(implicit.setValue(gameKey, "level", {RegistryType::dword, 1, {}}));
  EXPECT_EQ(numberOf(RegistryFile::parse(implicit.text()), gameKey, "level"), 1u);
}

TEST(RegistryFile, LoadsOnlySmallRegularFiles) {
  const SettingsSandbox sandbox;
  EXPECT_EQ(RegistryFile::load(sandbox.file().string()).state(), RegistryFile::State::missing);
  EXPECT_EQ(RegistryFile::load(sandbox.folder().string()).state(), RegistryFile::State::unreadable);
  EXPECT_EQ(RegistryFile::load("").state(), RegistryFile::State::missing);

  const auto pipe = sandbox.folder() / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(RegistryFile::load(pipe.string()).state(), RegistryFile::State::unreadable);

  std::string large = "REGEDIT4\n";
  large.resize(RegistryFile::maximumFileSize, ';');
  sandbox.write(large);
  EXPECT_EQ(RegistryFile::load(sandbox.file().string()).state(), RegistryFile::State::loaded);
  sandbox.write(large + "\n");
  RegistryFile tooLarge = RegistryFile::load(sandbox.file().string());
  EXPECT_EQ(tooLarge.state(), RegistryFile::State::tooLarge);
  EXPECT_FALSE(tooLarge.addKey(gameKey));
  EXPECT_FALSE(tooLarge.save());
}

TEST(RegistryFile, SavingReplacesTheFileWhole) {
  const SettingsSandbox sandbox;
  sandbox.write(exported);
  ASSERT_EQ(chmod(sandbox.file().c_str(), 0640), 0);
  RegistryFile file = RegistryFile::load(sandbox.file().string());
  ASSERT_TRUE(file.setValue(displayKey, "width", {RegistryType::dword, 640, {}}));
  ASSERT_TRUE(file.save());
  EXPECT_EQ(sandbox.read(), file.text());
  EXPECT_EQ(std::filesystem::status(sandbox.file()).permissions(), std::filesystem::perms(0640));
  EXPECT_EQ(sandbox.folderEntries(), std::vector<std::string>{"settings.reg"});
}

TEST(RegistryFile, AFailedSaveLeavesTheOldFile) {
  const SettingsSandbox sandbox;
  sandbox.write(exported);
  RegistryFile file = RegistryFile::load(sandbox.file().string());
  ASSERT_TRUE(file.setValue(displayKey, "width", {RegistryType::dword, 640, {}}));

  // A file size limit below the file's size makes the write of the new text fail.
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved_ = file.save();
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previousHandler);

  EXPECT_FALSE(saved_);
  EXPECT_EQ(sandbox.read(), exported);
  EXPECT_EQ(sandbox.folderEntries(), std::vector<std::string>{"settings.reg"});
}

TEST(RegistryFile, SavingThroughALinkKeepsTheLink) {
  const SettingsSandbox sandbox;
  const auto real = sandbox.folder() / "real.reg";
  { std::ofstream(real) << exported; }
  std::filesystem::create_symlink(real, sandbox.file());
  RegistryFile file = RegistryFile::load(sandbox.file().string());
  ASSERT_TRUE(file.setValue(displayKey, "width", {RegistryType::dword, 640, {}}));
  ASSERT_TRUE(file.save());
  EXPECT_TRUE(std::filesystem::is_symlink(sandbox.file()));
  EXPECT_EQ(numberOf(RegistryFile::load(real.string()), displayKey, "width"), 640u);
}
