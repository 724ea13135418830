#include "BenchProgram.h"

#include <cstdio>
#include <cstring>
#include <iostream>

namespace {

constexpr double millisecondsPerSecond = 1000.0;

std::string formatted(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string milliseconds(double seconds) {
  return seconds > 0 ? formatted("%.4g", seconds * millisecondsPerSecond) : "-";
}

}  // namespace

BenchProgram::BenchProgram(int argc, char** argv) {
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    if (i > 0 && std::strcmp(argv[i], "--tiny") == 0) {
      tiny_ = true;
    } else {
      rest.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(rest.size());
  benchmark::Initialize(&count, rest.data());
  valid_ = !benchmark::ReportUnrecognizedArguments(count, rest.data());
}

void BenchProgram::runBenchmarks() {
  benchmark::RunSpecifiedBenchmarks(&reporter_);
  benchmark::Shutdown();
}

std::optional<BenchProgram::Times> BenchProgram::times(const std::string& value,
                                                       const std::string& floor) {
  const std::optional<double> valueSeconds = reporter_.seconds(value);
  const std::optional<double> floorSeconds = floor.empty() ? 0.0 : reporter_.seconds(floor);
  for (const auto& [name, seconds] : {std::pair{value, valueSeconds}, {floor, floorSeconds}}) {
    if (!seconds || (!name.empty() && *seconds <= 0)) {
      std::cerr << "no time for benchmark " << name << "\n";
      missing_ = true;
      return std::nullopt;
    }
  }
  return Times{*valueSeconds, *floorSeconds};
}

void BenchProgram::addLine(const std::string& measure, const Times& times, double ratio,
                           const std::string& goal, const std::string& met) {
  lines_.push_back(
      "ratio\t" + measure + "\t" + milliseconds(times.value) + "\t" + milliseconds(times.floor) +
      "\t" + (ratio > 0 ? formatted("%.3f", ratio) : std::string("-")) + "\t" + goal + "\t" + met);
}

void BenchProgram::timeRatio(const std::string& measure, const std::string& value,
                             const std::string& floor, double most) {
  const auto measured = times(value, floor);
  if (!measured) return;
  const double ratio = measured->value / measured->floor;
  addLine(measure, *measured, ratio, formatted("<= %.3g", most), ratio <= most ? "yes" : "no");
}

void BenchProgram::throughputRatio(const std::string& measure, const std::string& value,
                                   const std::string& floor, double least) {
  const auto measured = times(value, floor);
  if (!measured) return;
  const double ratio = measured->floor / measured->value;
  addLine(measure, *measured, ratio, formatted(">= %.3g", least), ratio >= least ? "yes" : "no");
}

void BenchProgram::plainRatio(const std::string& measure, const std::string& value,
                              const std::string& floor) {
  const auto measured = times(value, floor);
  if (measured) addLine(measure, *measured, measured->value / measured->floor, "-", "-");
}

void BenchProgram::plainValue(const std::string& measure, const std::string& value) {
  const auto measured = times(value, "");
  if (measured) addLine(measure, *measured, 0, "-", "-");
}

void BenchProgram::timeAtMost(const std::string& measure, const std::string& value,
                              double mostMilliseconds) {
  const auto measured = times(value, "");
  if (!measured) return;
  const bool met = measured->value * 1000 <= mostMilliseconds;
  addLine(measure, *measured, 0, formatted("<= %.3g ms", mostMilliseconds), met ? "yes" : "no");
}

int BenchProgram::finish(std::ostream& out) const {
  for (const std::string& line : lines_) out << line << "\n";
  return missing_ || !valid_ ? 1 : 0;
}
