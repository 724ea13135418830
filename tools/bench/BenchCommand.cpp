#include "BenchCommand.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "BenchOptions.h"
#include "BenchReport.h"
#include "BenchRun.h"
#include "RWErrors.h"

namespace {

constexpr int runDone = 0;
constexpr int loadFailed = 1;
constexpr int badArguments = 2;
constexpr int drawingUnavailable = 3;
constexpr int traceUnwritten = 4;

// Empty when the whole trace was written; otherwise why not.
std::string writeTrace(const BenchResult& result, const std::string& path) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return std::strerror(errno);
  printBenchTrace(result, file);
  file.close();
  if (!file) return "the file could not be written whole";
  return "";
}

}  // namespace

int runBenchTool(const std::vector<std::string>& arguments, const FmClock& frameClock,
                 std::ostream& out, std::ostream& errors, const FmClock* cpuClock) {
  const std::optional<BenchOptions> options = parseBenchOptions(arguments, errors);
  if (!options) return badArguments;
  if (options->help) {
    printBenchUsage(out);
    return runDone;
  }
  try {
    const BenchResult result = runBench(*options, frameClock, cpuClock);
    if (!options->traceFile.empty()) {
      const std::string failure = writeTrace(result, options->traceFile);
      if (!failure.empty()) {
        errors << "zirrow-bench: can't write the trace " << options->traceFile << ": " << failure
               << "\n";
        return traceUnwritten;
      }
    }
    if (options->json) {
      printBenchJson(result, out);
    } else {
      printBenchTable(result, out);
    }
  } catch (const RWxmsg& error) {
    errors << "zirrow-bench: " << options->levelFile << ": " << error.why() << "\n";
    return loadFailed;
  } catch (const BenchDrawError& error) {
    errors << "zirrow-bench: can't draw: " << error.what() << "\n";
    return drawingUnavailable;
  }
  return runDone;
}
