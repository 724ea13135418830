#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "RatioReporter.h"

// The frame of every benchmark program: takes "--tiny" (the small sizes that CI runs
// once) out of the command line, hands the rest to Google Benchmark, runs what the
// program registered and prints one line per measure:
//   ratio <TAB> measure <TAB> value <TAB> floor <TAB> ratio <TAB> goal <TAB> met
// with times in milliseconds, "-" where a column does not apply.
class BenchProgram {
public:
  BenchProgram(int argc, char** argv);

  bool tiny() const { return tiny_; }
  // False when Google Benchmark did not understand an argument; it said why.
  bool argumentsValid() const { return valid_; }
  void runBenchmarks();

  // The value's time over the floor's; met when at most `most`.
  void timeRatio(const std::string& measure, const std::string& value, const std::string& floor,
                 double most);
  // The value's throughput over the floor's (the floor's time over the value's);
  // met when at least `least`.
  void throughputRatio(const std::string& measure, const std::string& value,
                       const std::string& floor, double least);
  // The value's time over the floor's, without a goal.
  void plainRatio(const std::string& measure, const std::string& value, const std::string& floor);
  // A time without a floor.
  void plainValue(const std::string& measure, const std::string& value);
  // A time without a floor; met when at most `mostMilliseconds`.
  void timeAtMost(const std::string& measure, const std::string& value, double mostMilliseconds);

  // Prints the lines; 0 when every measure was taken, 1 when one is missing.
  int finish(std::ostream& out) const;

private:
  struct Times {
    double value;
    double floor;
  };
  std::optional<Times> times(const std::string& value, const std::string& floor);
  void addLine(const std::string& measure, const Times& times, double ratio,
               const std::string& goal, const std::string& met);

  bool tiny_ = false;
  bool valid_ = true;
  bool missing_ = false;
  RatioReporter reporter_;
  std::vector<std::string> lines_;
};
