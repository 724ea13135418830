#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "DesignerCommands.h"

// What a run of zirrow-level gave: its exit status and what it printed.
struct ToolRun {
  int status;
  std::string out;
  std::string err;
};

// Runs zirrow-level with the arguments, as its main does.
inline ToolRun levelTool(const std::vector<std::string>& arguments) {
  std::ostringstream out, err;
  const int status = runDesignerTool(arguments, out, err);
  return {status, out.str(), err.str()};
}
