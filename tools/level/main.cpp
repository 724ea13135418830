#include <iostream>
#include <string>
#include <vector>

#include "LevelCommands.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return runLevelTool(arguments, std::cout, std::cerr);
}
