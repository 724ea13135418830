#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

// The console reporter that also keeps each benchmark's real time per iteration in
// seconds, under the benchmark's base name: the median of its repetitions when it
// was repeated, else its single run. Benchmarks that stopped with an error keep none.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  // Plain text: the ratio lines that follow the table are read by scripts.
  RatioReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override;

  std::optional<double> seconds(const std::string& name) const;

private:
  std::map<std::string, double> seconds_;
  std::map<std::string, bool> fromMedian_;
};
