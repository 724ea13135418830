#pragma once

#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "SceneTextCommands.h"

namespace CLI {
class App;
}

// A command that the tool takes from the parts built on top of it (drawing a level,
// bringing models in): it declares its arguments on its own subcommand and runs once
// the command line has been parsed.
class LevelCommand {
public:
  virtual ~LevelCommand() = default;
  virtual std::string name() const = 0;
  virtual std::string description() const = 0;
  virtual void declare(CLI::App& command) = 0;
  // The exit status, as for the tool's own commands.
  virtual int run(std::ostream& out, std::ostream& err) = 0;
};

// The subcommands of zirrow-level: dump, check and demo, and --help for the tool
// and each of them. Each returns the process exit status: 0 when the file is sound
// (or the demo was written), 1 when it is not (or could not be), 2 for a usage
// error, which names the problem before the usage. The further commands join them,
// with their own help.
// The text builder, when given, is build's.
int runLevelTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                 std::span<LevelCommand* const> furtherCommands = {},
                 const SceneTextCommands::TextBuilder& textBuilder = {});
