#pragma once

#include <ostream>
#include <string>
#include <vector>

// The subcommands of zirrow-level: dump, check and demo, and --help for the tool
// and each of them. Each returns the process exit status: 0 when the file is sound
// (or the demo was written), 1 when it is not (or could not be), 2 for a usage
// error, which names the problem before the usage.
int runLevelTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
