#pragma once

#include <ostream>

#include "BenchRun.h"

// The run as a table for people: the events, the frame timings in milliseconds, the
// whole frames' pacing and the peak memory.
void printBenchTable(const BenchResult& result, std::ostream& out);
// The run as one JSON object: "frames", "events" (frame, time, kind), "statistics"
// (seconds; null for a range that no frame recorded), "frameTimes" (median, p90,
// p99 and maximum of the whole frames in seconds; null without frames) and
// "peakMemoryKilobytes".
void printBenchJson(const BenchResult& result, std::ostream& out);
