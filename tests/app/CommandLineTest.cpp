#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "CommandLine.h"

namespace {

CommandLine::Request requestOf(std::initializer_list<const char*> arguments) {
  std::vector<const char*> argv{"zirrow"};
  argv.insert(argv.end(), arguments);
  return CommandLine(static_cast<int>(argv.size()), argv.data()).request();
}

}  // namespace

TEST(CommandLine, OnlyALineOfExactlyHelpOrVersionIsAnOption) {
  using Request = CommandLine::Request;
  EXPECT_EQ(requestOf({"--help"}), Request::help);
  EXPECT_EQ(requestOf({"--version"}), Request::version);
  EXPECT_EQ(requestOf({}), Request::play);
  EXPECT_EQ(requestOf({"--help", "me"}), Request::play);
  EXPECT_EQ(requestOf({"--version", "--help"}), Request::play);
  EXPECT_EQ(requestOf({"", "--help"}), Request::play);
  EXPECT_EQ(requestOf({"--HELP"}), Request::play);
  EXPECT_EQ(requestOf({"-h"}), Request::play);
  EXPECT_EQ(requestOf({"--help "}), Request::play);
  EXPECT_EQ(requestOf({"levels/--help"}), Request::play);
}

TEST(CommandLine, TheLevelFileIsTheWholeLineAsItStands) {
  const char* argv[] = {"zirrow", "my", "\"level\"", "--help"};
  const CommandLine line(4, argv);
  EXPECT_EQ(line.request(), CommandLine::Request::play);
  EXPECT_EQ(line.sceneFile(), "my \"level\" --help");
}

TEST(CommandLine, HelpNamesTheUsageAndVersionTheProgramAndItsVersion) {
  EXPECT_EQ(CommandLine::usage().rfind("usage: zirrow LEVELFILE\n", 0), 0u);
  EXPECT_EQ(CommandLine::version(), std::string("zirrow ") + ZIRROW_VERSION + "\n");
}
