#include "BenchOptions.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <sstream>
#include <string_view>

#include "UsageFormatter.h"

namespace {

constexpr std::int32_t maximumFrames = 10'000'000;
constexpr double maximumStep = 3600.0;

const char* const description =
    "Plays a level N frames (default 300) at a fixed time step (default 1/30 s),\n"
    "drawing each frame in an offscreen 800x600 OpenGL context, and prints the\n"
    "frame statistics and every hit, win, fail, launch and wrap event with its\n"
    "frame and game time.";

template <typename Number>
bool parseNumber(std::string_view text, Number& value) {
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, value);
  return result.ec == std::errc() && result.ptr == end && !text.empty();
}

bool parseFrameList(std::string_view text, std::vector<std::int32_t>& frames) {
  frames.clear();
  while (true) {
    const std::size_t comma = text.find(',');
    std::int32_t frame = 0;
    if (!parseNumber(text.substr(0, comma), frame) || frame < 0) return false;
    frames.push_back(frame);
    if (comma == std::string_view::npos) return true;
    text.remove_prefix(comma + 1);
  }
}

bool parseTurn(std::string_view text, float& pitch, float& yaw) {
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return false;
  return parseNumber(text.substr(0, comma), pitch) && parseNumber(text.substr(comma + 1), yaw) &&
         std::isfinite(pitch) && std::isfinite(yaw);
}

// A check that refuses a value with what the option wants, unless `accepts` holds.
template <typename Accepts>
CLI::Validator wants(const std::string& what, Accepts accepts) {
  return CLI::Validator(
      [what, accepts](const std::string& value) {
        return accepts(value) ? std::string() : "'" + value + "' is not " + what;
      },
      "", "");
}

template <typename Number, typename InRange>
CLI::Validator number(const std::string& what, InRange inRange) {
  return wants(what, [inRange](const std::string& value) {
    Number parsed{};
    return parseNumber(std::string_view(value), parsed) && inRange(parsed);
  });
}

// The option table of zirrow-bench, bound to `options`; `fireAt` and `turn` keep the
// text of the two list options until parsing is done.
void describeOptions(CLI::App& app, BenchOptions& options, std::string& fireAt, std::string& turn) {
  app.description(description);
  app.add_option("--frames", options.frames, "frames to run (default 300)")
      ->type_name("N")
      ->check(number<std::int32_t>("a frame count from 0 to 10000000", [](std::int32_t frames) {
        return frames >= 0 && frames <= maximumFrames;
      }));
  app.add_option("--step", options.step, "seconds of game time per frame (default 1/30)")
      ->type_name("SECONDS")
      ->check(number<double>("a time step above 0 and up to 3600 seconds", [](double step) {
        return std::isfinite(step) && step > 0.0 && step <= maximumStep;
      }));
  app.add_option("--level", options.level, "level of a multi-level file, from 1 (default 1)")
      ->type_name("N")
      ->check(number<std::int32_t>("a level number from 1",
                                   [](std::int32_t level) { return level >= 1; }));
  app.add_option("--flock", options.flock,
                 "index of the active flock in a multi-level file (default 0)")
      ->type_name("I")
      ->check(number<std::int32_t>("a flock index from 0",
                                   [](std::int32_t flock) { return flock >= 0; }));
  app.add_option("--fire-at", fireAt, "frames (from 0) at which a projectile is fired")
      ->type_name("F,...")
      ->check(wants("a list of frame numbers from 0, split by commas", [](const std::string& text) {
        std::vector<std::int32_t> frames;
        return parseFrameList(text, frames);
      }));
  app.add_option("--fire-every", options.fireEvery,
                 "also fire at every frame whose number is a multiple of K")
      ->type_name("K")
      ->check(number<std::int32_t>("a frame count from 1",
                                   [](std::int32_t every) { return every >= 1; }));
  app.add_option("--sample-every", options.sampleEvery,
                 "with --json, record what the level holds every K frames: its nodes, those "
                 "that expire, the flock's extent and the memory in use")
      ->type_name("K")
      ->check(number<std::int32_t>("a frame count from 1",
                                   [](std::int32_t every) { return every >= 1; }));
  app.add_option("--turn", turn, "steady turn rates in degrees per second (pitch, yaw)")
      ->type_name("P,Y")
      ->check(wants("two turn rates split by a comma", [](const std::string& text) {
        float pitch = 0.0f, yaw = 0.0f;
        return parseTurn(text, pitch, yaw);
      }));
  app.add_flag("--json", options.json, "one JSON object instead of the table");
  CLI::Option* noDraw = app.add_flag_callback(
      "--no-draw", [&options] { options.draw = false; }, "run the game logic only, without OpenGL");
  app.add_option("--shots", options.shotDirectory,
                 "write a JPEG screenshot every K frames into DIR, named after the frame: "
                 "DIR/scrn0000.jpg, DIR/scrn0030.jpg, ...")
      ->type_name("DIR")
      ->check(wants("a directory name", [](const std::string& text) { return !text.empty(); }))
      ->excludes(noDraw);
  app.add_option("--trace", options.traceFile,
                 "write one CSV row per frame into FILE: its times (update, draw, swap, "
                 "collision), triangles, OpenGL calls and events")
      ->type_name("FILE")
      ->check(wants("a file name", [](const std::string& text) { return !text.empty(); }));
  app.add_option("--shot-every", options.shotEvery, "frames between screenshots (default 30)")
      ->type_name("K")
      ->check(number<std::int32_t>("a frame count from 1",
                                   [](std::int32_t every) { return every >= 1; }));
  app.add_option("LEVELFILE", options.levelFile, "the scene file to play")->required();
}

std::unique_ptr<CLI::App> benchApp(BenchOptions& options, std::string& fireAt, std::string& turn) {
  auto app = std::make_unique<CLI::App>("", "zirrow-bench");
  UsageFormatter::install(*app);
  describeOptions(*app, options, fireAt, turn);
  return app;
}

}  // namespace

std::optional<BenchOptions> parseBenchOptions(const std::vector<std::string>& arguments,
                                              std::ostream& errors) {
  BenchOptions options;
  std::string fireAt, turn;
  const auto app = benchApp(options, fireAt, turn);
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app->parse(reversed);
  } catch (const CLI::CallForHelp&) {
    options.help = true;
    return options;
  } catch (const CLI::ParseError& error) {
    errors << "zirrow-bench: " << error.what() << " (see --help)\n";
    return std::nullopt;
  }
  if (!fireAt.empty()) parseFrameList(fireAt, options.fireAt);
  if (!turn.empty()) parseTurn(turn, options.turnPitch, options.turnYaw);
  return options;
}

void printBenchUsage(std::ostream& out) {
  BenchOptions options;
  std::string fireAt, turn;
  out << benchApp(options, fireAt, turn)->help();
}
