#include "DesignerCommands.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>

#include "ImageFile.h"
#include "LevelCommands.h"
#include "LevelShot.h"
#include "LevelStats.h"
#include "ModelImport.h"
#include "ModelImportEntries.h"
#include "ModelReader.h"
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

// A file beside the output, renamed over it once complete, so that a failed import
// leaves no half-written output behind.
class PendingFile {
public:
  explicit PendingFile(const std::string& target) : target_(target) {
    path_ = target + ".part-" + std::to_string(std::random_device{}());
  }
  ~PendingFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  const std::string& path() const { return path_; }
  // Empty on success, otherwise why the output could not take its place.
  std::string commit() {
    std::error_code error;
    std::filesystem::rename(path_, target_, error);
    return error ? "can't write " + target_ + ": " + error.message() : std::string();
  }

private:
  std::string target_;
  std::string path_;
};

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class ImportCommand : public LevelCommand {
public:
  std::string name() const override { return "import"; }
  std::string description() const override {
    return "Reads a model (glTF 2.0, OBJ, FBX, Collada, 3DS, ... through assimp) and writes its "
           "nodes, meshes, materials, textures, animations, cameras and lights in the text form "
           "of levels (or as a scene file when PART ends in .zrw). What can't be kept is "
           "reported as a warning naming the node and the feature.";
  }

  void declare(CLI::App& command) override {
    command.add_option("MODEL", modelFile_, "the model file")->required();
    command.add_option("-o,--output", output_, "the part to write: PART.json or PART.zrw")
        ->required()
        ->type_name("PART");
    command.add_option("--scale", options_.scale, "multiply every length by this (default 1)")
        ->check(CLI::PositiveNumber)
        ->type_name("FACTOR");
    command
        .add_option("--up", up_,
                    "the axis that points up in the model: y (glTF's and ours, the default) or z")
        ->check(CLI::IsMember({"y", "z"}));
    command.add_option("--prefix", options_.prefix, "put this before every name");
  }

  int run(std::ostream& out, std::ostream& err) override {
    options_.up = up_ == "z" ? ImportOptions::Up::z : ImportOptions::Up::y;
    ImportedModel model;
    try {
      model = readModel(modelFile_, options_);
    } catch (const ModelError& error) {
      err << "zirrow-level import: " << modelFile_ << ": " << error.what() << '\n';
      return statusProblem;
    }
    for (const std::string& warning : model.warnings) {
      err << "zirrow-level import: warning: " << warning << '\n';
    }
    ImportSummary summary;
    const std::string problem = write(model, summary, err);
    if (!problem.empty()) {
      err << "zirrow-level import: " << problem << '\n';
      return statusProblem;
    }
    out << "wrote " << output_ << ": " << summary.nodes << " nodes, " << summary.objects
        << " objects, " << summary.vertices << " vertices, " << summary.triangles << " triangles, "
        << summary.textures << " textures, " << model.warnings.size() << " warnings\n";
    return statusOk;
  }

private:
  std::string write(const ImportedModel& model, ImportSummary& summary, std::ostream& err) {
    PendingFile scene(output_ + (endsWith(output_, ".zrw") ? "" : ".zrw"));
    if (auto problem = writeModelScene(model, scene.path(), summary); !problem.empty()) {
      return problem;
    }
    if (endsWith(output_, ".zrw")) return scene.commit();
    PendingFile text(output_);
    {
      std::ofstream json(text.path(), std::ios::binary | std::ios::trunc);
      if (!json) return "can't open " + output_ + " for writing";
      std::ostringstream dumpErrors;
      if (runLevelTool({"dump", "--json", scene.path()}, json, dumpErrors) != statusOk) {
        err << dumpErrors.str();
        return "the imported objects could not be written as text";
      }
      json.flush();
      if (!json) return "can't write " + output_;
    }
    return text.commit();
  }

  std::string modelFile_, output_, up_ = "y";
  ImportOptions options_;
};

}  // namespace

int runDesignerTool(const std::vector<std::string>& arguments, std::ostream& out,
                    std::ostream& err) {
  ShotCommand shot;
  StatsCommand stats;
  ImportCommand import;
  LevelCommand* const commands[] = {&shot, &stats, &import};
  return runLevelTool(arguments, out, err, commands, buildWithImports);
}
