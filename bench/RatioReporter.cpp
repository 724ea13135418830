#include "RatioReporter.h"

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) {
    if (run.error_occurred) continue;
    const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
    const bool single = run.run_type == Run::RT_Iteration;
    const std::string& name = run.run_name.function_name;
    if (!median && !(single && !fromMedian_[name])) continue;
    seconds_[name] = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    fromMedian_[name] = fromMedian_[name] || median;
  }
}

std::optional<double> RatioReporter::seconds(const std::string& name) const {
  const auto found = seconds_.find(name);
  if (found == seconds_.end()) return std::nullopt;
  return found->second;
}
