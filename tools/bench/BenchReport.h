#pragma once

#include <ostream>

#include "BenchRun.h"

// The run as a table for people: the events, then the frame timings in milliseconds.
void printBenchTable(const BenchResult& result, std::ostream& out);
// The run as one JSON object: "frames", "events" (frame, time, kind) and
// "statistics" (seconds; null for a range that no frame recorded).
void printBenchJson(const BenchResult& result, std::ostream& out);
