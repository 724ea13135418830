#include "BenchReport.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

namespace {

using Range = FmFrameStatistics::Range;
using Frame = FmFrameStatistics::Frame;

std::string formatted(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

bool recorded(const Range& range) {
  return range.minimum <= range.maximum;
}
bool recorded(const Frame& frame) {
  return frame.total() < FmFrameStatistics::initialMinimum;
}

std::string milliseconds(float seconds) {
  return formatted("%10.3f", seconds * 1000.0);
}

void printRange(const char* name, const Range& range, std::ostream& out) {
  out << "  " << name;
  if (!recorded(range)) {
    out << "  (no frames)\n";
    return;
  }
  out << milliseconds(range.current) << milliseconds(range.minimum) << milliseconds(range.maximum)
      << "\n";
}

void printFrame(const char* name, const Frame& frame, std::ostream& out) {
  out << "  " << name;
  if (!recorded(frame)) {
    out << "  (no frames)\n";
    return;
  }
  out << milliseconds(frame.update) << milliseconds(frame.draw) << milliseconds(frame.collision)
      << formatted("%11.0f", frame.triangles) << "\n";
}

std::string jsonNumber(double value) {
  return formatted("%.9g", value);
}

void printJsonRange(const char* name, const Range& range, std::ostream& out) {
  out << "\"" << name << "\":";
  if (!recorded(range)) {
    out << "null";
    return;
  }
  out << "{\"current\":" << jsonNumber(range.current)
      << ",\"minimum\":" << jsonNumber(range.minimum)
      << ",\"maximum\":" << jsonNumber(range.maximum) << "}";
}

void printJsonFrame(const char* name, const Frame& frame, std::ostream& out) {
  out << "\"" << name << "\":";
  if (!recorded(frame)) {
    out << "null";
    return;
  }
  out << "{\"update\":" << jsonNumber(frame.update) << ",\"draw\":" << jsonNumber(frame.draw)
      << ",\"collision\":" << jsonNumber(frame.collision) << ",\"triangles\":" << frame.triangles
      << "}";
}

struct Pacing {
  const char* name;
  double share;
};
constexpr Pacing pacingShares[] = {{"median", 0.5}, {"p90", 0.9}, {"p99", 0.99}, {"maximum", 1.0}};

void printPacing(const FrameTimes& times, std::ostream& out) {
  out << "frame times (ms)  median       p90       p99   maximum\n  whole    ";
  if (times.count() == 0) {
    out << "  (no frames)\n";
    return;
  }
  for (const Pacing& pacing : pacingShares) {
    out << milliseconds(static_cast<float>(*times.percentile(pacing.share)));
  }
  out << "\n";
}

void printJsonPacing(const char* key, const FrameTimes& times, std::ostream& out) {
  out << "\"" << key << "\":";
  if (times.count() == 0) {
    out << "null";
    return;
  }
  const char* separator = "{";
  for (const Pacing& pacing : pacingShares) {
    out << separator << "\"" << pacing.name << "\":" << jsonNumber(*times.percentile(pacing.share));
    separator = ",";
  }
  out << "}";
}

void printJsonPoint(const FmPoint& point, std::ostream& out) {
  out << "[" << jsonNumber(point.x) << "," << jsonNumber(point.y) << "," << jsonNumber(point.z)
      << "]";
}

// An empty box is null.
void printJsonBox(const BenchBox& box, std::ostream& out) {
  if (box.empty()) {
    out << "null";
    return;
  }
  out << "{\"minimum\":";
  printJsonPoint(box.minimum, out);
  out << ",\"maximum\":";
  printJsonPoint(box.maximum, out);
  out << "}";
}

struct CallCounts {
  std::uint32_t median;
  std::uint32_t maximum;
  double mean;
};

// Nothing when no frame was drawn.
std::optional<CallCounts> callCounts(const std::vector<std::uint32_t>& calls) {
  if (calls.empty()) return std::nullopt;
  std::vector<std::uint32_t> sorted = calls;
  std::sort(sorted.begin(), sorted.end());
  const double total = std::accumulate(sorted.begin(), sorted.end(), 0.0);
  return CallCounts{sorted[(sorted.size() - 1) / 2], sorted.back(),
                    total / static_cast<double>(sorted.size())};
}

void printCallCounts(const char* what, const std::vector<std::uint32_t>& calls, std::ostream& out) {
  const std::optional<CallCounts> counts = callCounts(calls);
  if (!counts) return;
  out << what << " per frame  median " << counts->median << "  mean "
      << formatted("%.1f", counts->mean) << "  maximum " << counts->maximum << "\n";
}

void printJsonCallCounts(const char* key, const std::vector<std::uint32_t>& calls,
                         std::ostream& out) {
  out << "\"" << key << "\":";
  const std::optional<CallCounts> counts = callCounts(calls);
  if (!counts) {
    out << "null";
    return;
  }
  out << "{\"median\":" << counts->median << ",\"mean\":" << jsonNumber(counts->mean)
      << ",\"maximum\":" << counts->maximum << "}";
}

}  // namespace

void printBenchTable(const BenchResult& result, std::ostream& out) {
  out << "frames " << result.frames << "\n";
  out << "events " << result.events.size() << "\n";
  for (const BenchEvent& event : result.events) {
    out << "  frame " << event.frame << "  time " << formatted("%.4f", event.time) << " s  "
        << kindName(event.kind) << "\n";
  }
  const FmFrameStatistics& statistics = result.statistics;
  out << "times (ms)      current   minimum   maximum\n";
  printRange("update   ", statistics.update(), out);
  printRange("draw     ", statistics.draw(), out);
  printRange("collision", statistics.collision(), out);
  out << "frames (ms)      update      draw collision  triangles\n";
  printFrame("best     ", statistics.best(), out);
  printFrame("worst    ", statistics.worst(), out);
  printPacing(result.frameTimes, out);
  printCallCounts("gl calls", result.glCalls, out);
  printCallCounts("texture binds", result.textureBinds, out);
  printCallCounts("material changes", result.materialChanges, out);
  out << "peak memory " << result.peakMemoryKilobytes << " KB\n";
}

void printBenchJson(const BenchResult& result, std::ostream& out) {
  out << "{\"frames\":" << result.frames << ",\"events\":[";
  for (std::size_t i = 0; i < result.events.size(); ++i) {
    const BenchEvent& event = result.events[i];
    out << (i ? "," : "") << "{\"frame\":" << event.frame << ",\"time\":" << jsonNumber(event.time)
        << ",\"kind\":\"" << kindName(event.kind) << "\"}";
  }
  const FmFrameStatistics& statistics = result.statistics;
  out << "],\"statistics\":{";
  printJsonRange("update", statistics.update(), out);
  out << ",";
  printJsonRange("draw", statistics.draw(), out);
  out << ",";
  printJsonRange("collision", statistics.collision(), out);
  out << ",\"triangles\":" << statistics.lastTriangles() << ",";
  printJsonFrame("best", statistics.best(), out);
  out << ",";
  printJsonFrame("worst", statistics.worst(), out);
  out << "},";
  printJsonPacing("frameTimes", result.frameTimes, out);
  out << ",";
  printJsonPacing("frameCpuTimes", result.frameCpuTimes, out);
  out << ",";
  printJsonCallCounts("glCallsPerFrame", result.glCalls, out);
  out << ",";
  printJsonCallCounts("textureBindsPerFrame", result.textureBinds, out);
  out << ",";
  printJsonCallCounts("materialChangesPerFrame", result.materialChanges, out);
  out << ",\"peakMemoryKilobytes\":" << result.peakMemoryKilobytes;
  out << ",\"timeLimit\":" << jsonNumber(result.timeLimit) << ",\"levelBounds\":";
  printJsonBox(result.levelBounds, out);
  out << ",\"samples\":[";
  for (std::size_t i = 0; i < result.samples.size(); ++i) {
    const BenchSample& sample = result.samples[i];
    out << (i ? "," : "") << "{\"frame\":" << sample.frame
        << ",\"time\":" << jsonNumber(sample.time) << ",\"nodes\":" << sample.nodes
        << ",\"expiring\":" << sample.expiring << ",\"flockMembers\":" << sample.flockMembers
        << ",\"flock\":";
    printJsonBox(sample.flock, out);
    out << ",\"residentKilobytes\":" << sample.residentKilobytes
        << ",\"heapKilobytes\":" << sample.heapKilobytes << "}";
  }
  out << "]}\n";
}

void printBenchTrace(const BenchResult& result, std::ostream& out) {
  out << "frame,time,whole_ms,update_ms,draw_ms,swap_ms,collision_ms,cpu_ms,triangles,gl_calls,"
         "texture_"
         "binds,material_changes,events\n";
  std::size_t nextEvent = 0;
  for (std::size_t frame = 0; frame < result.frameRecords.size(); ++frame) {
    const BenchFrame& record = result.frameRecords[frame];
    out << frame << "," << formatted("%.6g", record.time) << ","
        << formatted("%.4f", record.whole * 1000.0) << ","
        << formatted("%.4f", record.update * 1000.0) << ","
        << formatted("%.4f", record.draw * 1000.0) << "," << formatted("%.4f", record.swap * 1000.0)
        << "," << formatted("%.4f", record.collision * 1000.0) << ","
        << formatted("%.4f", record.cpu * 1000.0) << "," << record.triangles << ","
        << record.glCalls << "," << record.textureBinds << "," << record.materialChanges << ",";
    const char* separator = "";
    while (nextEvent < result.events.size() &&
           result.events[nextEvent].frame <= static_cast<std::int32_t>(frame)) {
      out << separator << kindName(result.events[nextEvent++].kind);
      separator = " ";
    }
    out << "\n";
  }
}
