#pragma once

#include <ostream>
#include <string>
#include <vector>

// The subcommands of zirrow-level. Each returns the process exit status: 0 when
// the file is sound, 1 when it is not, 2 for a usage error.
int runLevelTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
