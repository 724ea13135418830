#include "LevelCommands.h"

#include <charconv>
#include <memory>
#include <optional>

#include "FieldWriter.h"
#include "LevelFile.h"
#include "ObjectDescribers.h"

namespace {

constexpr int statusOk = 0;
constexpr int statusProblem = 1;
constexpr int statusUsage = 2;

const char* const usage =
    "usage: zirrow-level dump [--json] [--level N] FILE   print every object of FILE with its "
    "fields\n"
    "       zirrow-level check [--level N] FILE           read FILE with every check; print "
    "\"ok\" or the problem\n"
    "A scene file with several levels is read at level N (1 when not given).\n";

struct Options {
  std::string command;
  std::string path;
  bool json = false;
  std::int32_t level = 1;
};

std::optional<std::int32_t> parseLevel(const std::string& text) {
  std::int32_t level = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), level);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return level;
}

std::optional<Options> parseOptions(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return std::nullopt;
  Options options;
  options.command = arguments[0];
  if (options.command != "dump" && options.command != "check") return std::nullopt;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--json" && options.command == "dump") {
      options.json = true;
    } else if (argument == "--level" && i + 1 < arguments.size()) {
      const auto level = parseLevel(arguments[++i]);
      if (!level) return std::nullopt;
      options.level = *level;
    } else if (options.path.empty() && !argument.starts_with("--")) {
      options.path = argument;
    } else {
      return std::nullopt;
    }
  }
  if (options.path.empty()) return std::nullopt;
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

}  // namespace

int runLevelTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  const auto options = parseOptions(arguments);
  if (!options) {
    err << usage;
    return statusUsage;
  }
  if (options->command == "check") return check(*options, out);
  return dump(*options, out, err);
}
