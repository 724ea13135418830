#include "LevelCommands.h"

#include <memory>

#include "FieldWriter.h"
#include "LevelFile.h"
#include "ObjectDescribers.h"

namespace {

constexpr int statusOk = 0;
constexpr int statusProblem = 1;
constexpr int statusUsage = 2;

const char* const usage =
    "usage: zirrow-level dump [--json] FILE   print every object of FILE with its fields\n"
    "       zirrow-level check FILE           read FILE with every check; print \"ok\" or the "
    "problem\n";

int check(const std::string& path, std::ostream& out) {
  const LevelFile file(path);
  out << (file.ok() ? "ok" : file.problem()) << '\n';
  return file.ok() ? statusOk : statusProblem;
}

int dump(const std::string& path, bool json, std::ostream& out, std::ostream& err) {
  const LevelFile file(path);
  ObjectNumbers numbers;
  for (const auto& entry : file.objects()) numbers.emplace(entry.object, entry.number);

  std::unique_ptr<FieldWriter> writer;
  if (json) {
    writer = std::make_unique<JsonFieldWriter>(out, numbers);
  } else {
    writer = std::make_unique<TextFieldWriter>(out, numbers);
  }
  writer->beginFile();
  for (const auto& entry : file.objects()) describeObject(entry.number, *entry.object, *writer);
  writer->endFile();

  if (file.ok()) return statusOk;
  err << file.problem() << '\n';
  return statusProblem;
}

}  // namespace

int runLevelTool(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  const std::size_t count = arguments.size();
  if (count == 2 && arguments[0] == "check") return check(arguments[1], out);
  if (count == 2 && arguments[0] == "dump") return dump(arguments[1], false, out, err);
  if (count == 3 && arguments[0] == "dump" && arguments[1] == "--json") {
    return dump(arguments[2], true, out, err);
  }
  err << usage;
  return statusUsage;
}
