#include "DesignerCommands.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <optional>

#include "ImageFile.h"
#include "LevelCommands.h"
#include "LevelShot.h"
#include "LevelStats.h"
#include "RWErrors.h"

namespace {

constexpr int statusOk = 0;
constexpr int statusProblem = 1;

std::optional<FmPoint> parsePoint(const std::string& text) {
  float values[3] = {};
  const char* at = text.data();
  const char* end = text.data() + text.size();
  for (int i = 0; i < 3; ++i) {
    const auto [next, error] = std::from_chars(at, end, values[i]);
    if (error != std::errc() || !std::isfinite(values[i])) return std::nullopt;
    at = next;
    if (i < 2) {
      if (at == end || *at != ',') return std::nullopt;
      ++at;
    }
  }
  if (at != end) return std::nullopt;
  return FmPoint{values[0], values[1], values[2]};
}

CLI::Validator pointValidator() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        return parsePoint(text) ? "" : "'" + text + "' is not three numbers X,Y,Z";
      },
      "X,Y,Z");
}

class ShotCommand : public LevelCommand {
public:
  std::string name() const override { return "shot"; }
  std::string description() const override {
    return "Draws one frame of a level offscreen, as the game draws it at time 0, into a PNG "
           "file.";
  }

  void declare(CLI::App& command) override {
    command.add_option("LEVEL", levelFile_, "the scene file")->required();
    command.add_option("-o,--output", output_, "the PNG file to write")->required();
    auto* camera =
        command.add_option("--camera", camera_, "look through the level's camera of this name")
            ->type_name("NAME");
    auto* from = command.add_option("--from", from_, "look from this point")
                     ->check(pointValidator())
                     ->excludes(camera);
    auto* at = command.add_option("--at", at_, "at this point")->check(pointValidator());
    from->needs(at);
    at->needs(from);
    command
        .add_option("--level", level_,
                    "read level N of a scene file with several levels (default 1)")
        ->type_name("N");
  }

  int run(std::ostream& out, std::ostream& err) override {
    ShotView view;
    view.camera = camera_;
    if (!from_.empty()) {
      view.from = parsePoint(from_);
      view.at = parsePoint(at_).value_or(FmPoint{});
    }
    try {
      const ShotPicture picture = takeLevelShot(levelFile_, level_, view);
      std::string problem;
      if (!ImageFile::writePng(output_, picture.rgb, picture.width, picture.height, problem)) {
        err << "zirrow-level shot: can't write " << output_ << ": " << problem << '\n';
        return statusProblem;
      }
      out << "wrote " << output_ << " (" << picture.width << "x" << picture.height << ", "
          << picture.triangles << " triangles)\n";
    } catch (const RWxmsg& error) {
      err << "zirrow-level shot: " << levelFile_ << ": " << error.why() << '\n';
      return statusProblem;
    } catch (const ShotError& error) {
      err << "zirrow-level shot: " << levelFile_ << ": " << error.what() << '\n';
      return statusProblem;
    }
    return statusOk;
  }

private:
  std::string levelFile_, output_, camera_, from_, at_;
  std::int32_t level_ = 1;
};

class StatsCommand : public LevelCommand {
public:
  std::string name() const override { return "stats"; }
  std::string description() const override {
    return "Prints what each level of a scene file holds and costs once started: objects, "
           "triangles, textures and their memory, cameras, lights, flocks and their members.";
  }

  void declare(CLI::App& command) override {
    command.add_option("LEVEL", levelFile_, "the scene file")->required();
    command.add_flag("--json", json_, "print the numbers as JSON");
  }

  int run(std::ostream& out, std::ostream& err) override {
    try {
      const std::vector<LevelStats> levels = levelStats(levelFile_);
      if (json_) {
        printStatsJson(levels, out);
      } else {
        printStatsTable(levels, out);
      }
    } catch (const RWxmsg& error) {
      err << "zirrow-level stats: " << levelFile_ << ": " << error.why() << '\n';
      return statusProblem;
    }
    return statusOk;
  }

private:
  std::string levelFile_;
  bool json_ = false;
};

}  // namespace

int runDesignerTool(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& err) {
  ShotCommand shot;
  StatsCommand stats;
  LevelCommand* const commands[] = {&shot, &stats};
  return runLevelTool(arguments, out, err, commands);
}
