#include "BenchOptions.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <sstream>
#include <string_view>

namespace {

constexpr std::int32_t maximumFrames = 10'000'000;
constexpr double maximumStep = 3600.0;

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

// Applies one option that takes a value; false with a message when the value is bad.
bool applyValue(std::string_view option, std::string_view value, BenchOptions& options,
                std::ostream& errors) {
  bool valid = false;
  if (option == "--frames") {
    valid = parseNumber(value, options.frames) && options.frames >= 0 &&
            options.frames <= maximumFrames;
  } else if (option == "--step") {
    valid = parseNumber(value, options.step) && std::isfinite(options.step) && options.step > 0.0 &&
            options.step <= maximumStep;
  } else if (option == "--level") {
    valid = parseNumber(value, options.level) && options.level >= 1;
  } else if (option == "--flock") {
    valid = parseNumber(value, options.flock) && options.flock >= 0;
  } else if (option == "--fire-at") {
    valid = parseFrameList(value, options.fireAt);
  } else if (option == "--turn") {
    valid = parseTurn(value, options.turnPitch, options.turnYaw);
  } else if (option == "--shots") {
    options.shotDirectory = value;
    valid = !value.empty();
  } else if (option == "--shot-every") {
    valid = parseNumber(value, options.shotEvery) && options.shotEvery >= 1;
  }
  if (!valid) errors << "zirrow-bench: bad value for " << option << ": '" << value << "'\n";
  return valid;
}

bool takesValue(std::string_view option) {
  return option == "--frames" || option == "--step" || option == "--level" || option == "--flock" ||
         option == "--fire-at" || option == "--turn" || option == "--shots" ||
         option == "--shot-every";
}

}  // namespace

std::optional<BenchOptions> parseBenchOptions(const std::vector<std::string>& arguments,
                                              std::ostream& errors) {
  BenchOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.help = true;
      return options;
    }
    if (argument == "--json") {
      options.json = true;
    } else if (argument == "--no-draw") {
      options.draw = false;
    } else if (takesValue(argument)) {
      if (i + 1 == arguments.size()) {
        errors << "zirrow-bench: " << argument << " needs a value\n";
        return std::nullopt;
      }
      if (!applyValue(argument, arguments[++i], options, errors)) return std::nullopt;
    } else if (argument.starts_with("--")) {
      errors << "zirrow-bench: unknown option " << argument << "\n";
      return std::nullopt;
    } else if (options.levelFile.empty()) {
      options.levelFile = argument;
    } else {
      errors << "zirrow-bench: more than one level file: " << argument << "\n";
      return std::nullopt;
    }
  }
  if (options.levelFile.empty()) {
    errors << "zirrow-bench: no level file given (see --help)\n";
    return std::nullopt;
  }
  if (!options.draw && !options.shotDirectory.empty()) {
    errors << "zirrow-bench: --shots needs drawing; leave out --no-draw\n";
    return std::nullopt;
  }
  return options;
}

void printBenchUsage(std::ostream& out) {
  out << "usage: zirrow-bench [--frames N] [--step SECONDS] [--level N] [--flock I]\n"
         "                    [--fire-at F1,F2,...] [--turn PITCH,YAW] [--json]\n"
         "                    [--no-draw | --shots DIR [--shot-every K]] LEVELFILE\n"
         "\n"
         "Plays a level N frames (default 300) at a fixed time step (default 1/30 s),\n"
         "drawing each frame in an offscreen 800x600 OpenGL context, and prints the\n"
         "frame statistics and every hit, win and fail event with its frame and game\n"
         "time.\n"
         "\n"
         "  --level N        level of a multi-level file, from 1 (default 1)\n"
         "  --flock I        index of the active flock in a multi-level file (default 0)\n"
         "  --fire-at F,...  frames (from 0) at which a projectile is fired\n"
         "  --turn P,Y       steady turn rates in degrees per second (pitch, yaw)\n"
         "  --json           one JSON object instead of the table\n"
         "  --no-draw        run the game logic only, without OpenGL\n"
         "  --shots DIR      write a JPEG screenshot every K frames into DIR, named\n"
         "                   after the frame: DIR/scrn0000.jpg, DIR/scrn0030.jpg, ...\n"
         "  --shot-every K   frames between screenshots (default 30)\n";
}
