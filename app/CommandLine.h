#pragma once

#include <string>
#include <utility>

// What the game's command line asks for. The whole line after the program name is the
// level file, unless it is exactly "--help" or "--version".
class CommandLine {
public:
  enum class Request { play, help, version };

  static constexpr const char* helpOption = "--help";
  static constexpr const char* versionOption = "--version";

  explicit CommandLine(std::string line) : line_(std::move(line)) {}
  // The arguments after the program name, joined by single spaces.
  CommandLine(int argc, const char* const* argv);

  Request request() const;
  // The level file to play: the line as it stands.
  const std::string& sceneFile() const { return line_; }

  // The text that --help prints.
  static std::string usage();
  // The text that --version prints: the program's name and version.
  static std::string version();

private:
  std::string line_;
};
