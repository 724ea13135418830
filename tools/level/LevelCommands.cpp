#include "LevelCommands.h"

#include <charconv>
#include <memory>
#include <optional>
#include <variant>

#include "DemoWriter.h"
#include "FieldWriter.h"
#include "LevelFile.h"
#include "ObjectDescribers.h"

namespace {

constexpr int statusOk = 0;
constexpr int statusProblem = 1;
constexpr int statusUsage = 2;

const char* const dumpUsage =
    "usage: zirrow-level dump [--json] [--level N] FILE\n"
    "  Prints every object of FILE once, with its persistence number, class and fields.\n"
    "  --json     print the objects as JSON\n"
    "  --level N  read level N of a scene file with several levels (default 1)\n";
const char* const checkUsage =
    "usage: zirrow-level check [--level N] FILE\n"
    "  Reads FILE with every safety check and prints \"ok\" or what is wrong (exit status 0 "
    "or 1).\n"
    "  --level N  read level N of a scene file with several levels (default 1)\n";
const char* const demoUsage =
    "usage: zirrow-level demo DIR\n"
    "  Writes the bundled demo into DIR (created when missing): the scene file demo.zrw with "
    "two\n"
    "  levels and the sound effects sounds/Bgun.wav, sounds/fail.wav and sounds/winner.wav.\n";
const char* const toolUsage =
    "usage: zirrow-level COMMAND [OPTIONS] ARGUMENT\n"
    "The level designer's tool. Commands:\n"
    "  dump [--json] [--level N] FILE  print every object of a scene file\n"
    "  check [--level N] FILE          read a scene file with every check; \"ok\" or the problem\n"
    "  demo DIR                        write the bundled demo level and its sounds into DIR\n"
    "Run 'zirrow-level COMMAND --help' for a command's options.\n";

struct Options {
  std::string command;
  std::string path;
  bool json = false;
  bool help = false;
  std::int32_t level = 1;
};

// A bad command line: what is wrong and the usage to show with it.
struct UsageError {
  std::string problem;
  const char* usage;
};

bool isHelp(const std::string& argument) {
  return argument == "--help" || argument == "-h";
}

const char* usageOf(const std::string& command) {
  if (command == "dump") return dumpUsage;
  if (command == "check") return checkUsage;
  if (command == "demo") return demoUsage;
  return toolUsage;
}

std::optional<std::int32_t> parseLevel(const std::string& text) {
  std::int32_t level = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), level);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return level;
}

// Reads the options after the command into `options`; the problem, if any.
std::optional<std::string> parseArguments(const std::vector<std::string>& arguments,
                                          Options& options) {
  const bool readsScene = options.command != "demo";
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (isHelp(argument)) {
      options.help = true;
    } else if (argument == "--json" && options.command == "dump") {
      options.json = true;
    } else if (argument == "--level" && readsScene) {
      if (i + 1 == arguments.size()) return "--level needs a level number";
      const std::string& value = arguments[++i];
      const auto level = parseLevel(value);
      if (!level) return "--level needs a whole number, not '" + value + "'";
      options.level = *level;
    } else if (argument.starts_with("-") && argument.size() > 1) {
      return "unknown option '" + argument + "'";
    } else if (options.path.empty()) {
      options.path = argument;
    } else {
      return "unexpected argument '" + argument + "'";
    }
  }
  if (!options.help && options.path.empty()) {
    return readsScene ? "no scene file given" : "no directory given";
  }
  return std::nullopt;
}

std::variant<Options, UsageError> parseOptions(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return UsageError{"no command given", toolUsage};
  Options options;
  options.command = arguments[0];
  if (isHelp(options.command) || options.command == "help") {
    options.help = true;
    return options;
  }
  if (options.command != "dump" && options.command != "check" && options.command != "demo") {
    return UsageError{"unknown command '" + options.command + "'", toolUsage};
  }
  if (auto problem = parseArguments(arguments, options)) {
    return UsageError{*problem, usageOf(options.command)};
  }
  return options;
}

int check(const Options& options, std::ostream& out) {
  const LevelFile file(options.path, options.level);
  out << (file.ok() ? "ok" : file.problem()) << '\n';
  return file.ok() ? statusOk : statusProblem;
}

int dump(const Options& options, std::ostream& out, std::ostream& err) {
  const LevelFile file(options.path, options.level);
  ObjectNumbers numbers;
  const auto objects = file.objects();
  for (const auto& entry : objects) numbers.emplace(entry.object, entry.number);

  std::unique_ptr<FieldWriter> writer;
  if (options.json) {
    writer = std::make_unique<JsonFieldWriter>(out, numbers);
  } else {
    writer = std::make_unique<TextFieldWriter>(out, numbers);
  }
  writer->beginFile();
  for (const auto& entry : objects) describeObject(entry.number, *entry.object, *writer);
  writer->endFile();

  if (file.ok()) return statusOk;
  err << file.problem() << '\n';
  return statusProblem;
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

}  // namespace

int runLevelTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  const auto parsed = parseOptions(arguments);
  if (const auto* error = std::get_if<UsageError>(&parsed)) {
    err << "zirrow-level: " << error->problem << '\n' << error->usage;
    return statusUsage;
  }
  const auto& options = std::get<Options>(parsed);
  if (options.help) {
    out << usageOf(options.command);
    return statusOk;
  }
  if (options.command == "check") return check(options, out);
  if (options.command == "demo") return demo(options, out, err);
  return dump(options, out, err);
}
