#include <iostream>
#include <string>
#include <vector>

#include "DesignerCommands.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return runDesignerTool(arguments, std::cout, std::cerr);
}
