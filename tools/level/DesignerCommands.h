#pragma once

#include <ostream>
#include <string>
#include <vector>

// zirrow-level with the commands that look at a level and bring models in (shot,
// stats); every other command goes to runLevelTool. The arguments follow the
// program name; the result is the exit status.
int runDesignerTool(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& err);
