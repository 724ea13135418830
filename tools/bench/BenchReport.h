#pragma once

#include <ostream>

#include "BenchRun.h"

// The run as a table for people: the events, the frame timings in milliseconds, the
// whole frames' pacing and the peak memory.
void printBenchTable(const BenchResult& result, std::ostream& out);
// The run as one JSON object: "frames", "events" (frame, time, kind), "statistics"
// (seconds; null for a range that no frame recorded), "frameTimes" (median, p90,
// p99 and maximum of the whole frames in seconds; null without frames),
// "glCallsPerFrame" and "peakMemoryKilobytes".
void printBenchJson(const BenchResult& result, std::ostream& out);
// One CSV row per frame after a header: frame, game time (s), whole frame, update,
// draw, swap and collision (ms), triangles, OpenGL calls and the frame's events
// (their kinds, split by spaces).
void printBenchTrace(const BenchResult& result, std::ostream& out);
