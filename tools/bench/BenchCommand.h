#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "FmClock.h"

// The whole program after its name: parses the arguments, runs the level and prints
// the report. Returns the exit status: 0 after a run, 1 when the level can't be
// loaded, 2 for bad arguments, 3 when drawing was asked for and OpenGL can't be used.
// The processor clock, when given, times each frame's processor time as well.
int runBenchTool(const std::vector<std::string>& arguments, const FmClock& frameClock,
                 std::ostream& out, std::ostream& errors, const FmClock* cpuClock = nullptr);
