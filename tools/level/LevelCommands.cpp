#include "LevelCommands.h"

#include <CLI/CLI.hpp>
#include <memory>

#include "DemoWriter.h"
#include "FieldWriter.h"
#include "HeavyLevel.h"
#include "LevelFile.h"
#include "ObjectDescribers.h"
#include "SceneTextCommands.h"
#include "UsageFormatter.h"

namespace {

constexpr int statusOk = 0;
constexpr int statusProblem = 1;
constexpr int statusUsage = 2;

struct Options {
  std::string path;
  std::string output;
  bool json = false;
  bool names = false;
  std::int32_t level = 1;
};

int check(const Options& options, std::ostream& out) {
  const LevelFile file(options.path, options.level);
  if (file.scene()) {
    for (const std::string& warning : file.scene()->worker().readWarnings()) {
      out << "warning: " << warning << '\n';
    }
  }
  out << (file.ok() ? "ok" : file.problem()) << '\n';
  return file.ok() ? statusOk : statusProblem;
}

int dump(const Options& options, std::ostream& out, std::ostream& err) {
  if (options.json) return SceneTextCommands::dump(options.path, out, err, options.names);
  const LevelFile file(options.path, options.level);
  ObjectNumbers numbers;
  const auto objects = file.objects();
  for (const auto& entry : objects) numbers.emplace(entry.object, entry.number);

  TextFieldWriter writer(out, numbers);
  for (const auto& entry : objects) describeObject(entry.number, *entry.object, writer);

  if (file.ok()) return statusOk;
  err << file.problem() << '\n';
  return statusProblem;
}

// What is wrong with the command word, if anything: none given, or one the tool
// does not have.
std::string commandProblem(const CLI::App& app, const std::vector<std::string>& arguments) {
  if (arguments.empty()) return "no command given";
  const std::string& command = arguments[0];
  if (command.starts_with("-")) return {};
  for (const CLI::App* known : app.get_subcommands({})) {
    if (known->get_name() == command) return {};
  }
  return "unknown command '" + command + "'";
}

// The help of the command that was named, or of the whole tool.
std::string helpOf(const CLI::App& app) {
  for (const CLI::App* command : app.get_subcommands()) {
    if (command->parsed()) return command->help();
  }
  return app.help();
}

int demo(const Options& options, std::ostream& out, std::ostream& err) {
  const std::string problem = DemoWriter::write(options.path);
  if (!problem.empty()) {
    err << "zirrow-level demo: " << problem << '\n';
    return statusProblem;
  }
  out << "wrote " << options.path << '/' << DemoWriter::sceneFileName << " ("
      << DemoWriter::levelCount << " levels) and " << options.path << '/'
      << DemoWriter::soundDirectory << "/{" << DemoWriter::gunSoundName << ','
      << DemoWriter::failSoundName << ',' << DemoWriter::winSoundName << "}\n";
  return statusOk;
}

int heavy(const Options& options, std::ostream& out, std::ostream& err) {
  const std::string problem = HeavyLevel::write(options.path);
  if (!problem.empty()) {
    err << "zirrow-level heavy: " << problem << '\n';
    return statusProblem;
  }
  out << "wrote " << options.path << " (" << HeavyLevel::objects << " objects and "
      << HeavyLevel::triangles << " triangles besides a flock of " << HeavyLevel::flockMembers
      << ", " << HeavyLevel::textures << " textures)\n";
  return statusOk;
}

}  // namespace

int runLevelTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                 std::span<LevelCommand* const> furtherCommands,
                 const SceneTextCommands::TextBuilder& textBuilder) {
  Options options;
  CLI::App app("The level designer's tool: writes, prints and checks scene files.", "zirrow-level");
  UsageFormatter::install(app);
  app.require_subcommand(1);
  app.footer("Run 'zirrow-level COMMAND --help' for a command's options.");

  const auto addLevelOption = [&options](CLI::App& command) {
    command
        .add_option("--level", options.level,
                    "read level N of a scene file with several levels (default 1)")
        ->type_name("N");
  };
  const auto addSceneFile = [&options](CLI::App& command) {
    command.add_option("FILE", options.path, "the scene file")->required();
  };

  CLI::App* dumpCommand = app.add_subcommand(
      "dump", "Prints every object of FILE once, with its persistence number, class and fields.");
  CLI::Option* json = dumpCommand->add_flag(
      "--json", options.json,
      "print the text form of the whole file, every level included (docs/scene-text.schema.json); "
      "'zirrow-level build' turns it back into the same file");
  dumpCommand
      ->add_flag("--names", options.names,
                 "with --json, refer to each object that alone has its name by that name, and "
                 "leave out the numbers that nothing refers to (files of one level)")
      ->needs(json);
  addLevelOption(*dumpCommand);
  dumpCommand->get_option("--level")->excludes(json);
  addSceneFile(*dumpCommand);

  CLI::App* checkCommand = app.add_subcommand(
      "check",
      "Reads FILE with every safety check and prints \"ok\" or what is wrong (exit status 0 or "
      "1).");
  addLevelOption(*checkCommand);
  addSceneFile(*checkCommand);

  CLI::App* buildCommand = app.add_subcommand(
      "build",
      std::string("Writes the scene file that the text form in FILE.json describes (as 'dump "
                  "--json' prints it) to LEVEL; a text with an error is refused with the JSON "
                  "path of the problem, and no file is written.") +
          (textBuilder ? " Entries {\"import\": MODEL, ...} among the objects bring models in "
                         "(see zirrow-level(1))."
                       : ""));
  buildCommand->add_option("FILE.json", options.path, "the text form of a level")->required();
  buildCommand->add_option("-o,--output", options.output, "the scene file to write")
      ->type_name("LEVEL")
      ->required();

  CLI::App* demoCommand = app.add_subcommand(
      "demo",
      "Writes the bundled demo into DIR (created when missing): the scene file demo.zrw with two "
      "levels and the sound effects sounds/Bgun.wav, sounds/fail.wav and sounds/winner.wav.");
  demoCommand->add_option("DIR", options.path, "the directory to write into")->required();

  CLI::App* heavyCommand = app.add_subcommand(
      "heavy",
      "Writes LEVEL, a level for the frame benchmark far heavier than the demo: the demo's first "
      "level with a flock of 2000 and hills around it, 200 objects and 150000 triangles besides "
      "the flock's members, and 64 textures.");
  heavyCommand->add_option("LEVEL", options.path, "the scene file to write")->required();

  std::vector<std::pair<CLI::App*, LevelCommand*>> further;
  for (LevelCommand* command : furtherCommands) {
    CLI::App* subcommand = app.add_subcommand(command->name(), command->description());
    command->declare(*subcommand);
    further.emplace_back(subcommand, command);
  }

  // "zirrow-level help" is the same as --help.
  if (arguments.size() == 1 && arguments[0] == "help") {
    out << app.help();
    return statusOk;
  }
  if (const std::string problem = commandProblem(app, arguments); !problem.empty()) {
    err << "zirrow-level: " << problem << '\n' << app.help();
    return statusUsage;
  }
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    out << helpOf(app);
    return statusOk;
  } catch (const CLI::CallForAllHelp&) {
    out << app.help("", CLI::AppFormatMode::All);
    return statusOk;
  } catch (const CLI::ParseError& error) {
    err << "zirrow-level: " << error.what() << '\n' << helpOf(app);
    return statusUsage;
  }
  for (const auto& [subcommand, command] : further) {
    if (subcommand->parsed()) return command->run(out, err);
  }
  if (dumpCommand->parsed()) return dump(options, out, err);
  if (checkCommand->parsed()) return check(options, out);
  if (buildCommand->parsed())
    return SceneTextCommands::build(options.path, options.output, out, err, textBuilder);
  if (heavyCommand->parsed()) return heavy(options, out, err);
  return demo(options, out, err);
}
