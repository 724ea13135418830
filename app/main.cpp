#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "CommandLine.h"
#include "GameProgram.h"

namespace {

// Prints the text on standard output; 0, or 1 with the reason when it can't be written.
int printText(const std::string& text) {
  if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return 0;
  std::fprintf(stderr, "zirrow: can't write to standard output: %s\n", std::strerror(errno));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const CommandLine commandLine(argc, argv);
  switch (commandLine.request()) {
    case CommandLine::Request::help:
      return printText(CommandLine::usage());
    case CommandLine::Request::version:
      return printText(CommandLine::version());
    case CommandLine::Request::play:
      break;
  }
  GameProgram program;
  return program.run(commandLine.sceneFile());
}
