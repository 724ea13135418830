#include <iostream>
#include <string>
#include <vector>

#include "BenchCommand.h"
#include "ProcessCpuClock.h"
#include "SdlClock.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const SdlClock frameClock;
  const ProcessCpuClock cpuClock;
  return runBenchTool(arguments, frameClock, std::cout, std::cerr, &cpuClock);
}
