// Runs the registered benchmarks and keeps each one's CPU time per iteration,
// so that a program can print ratios between runs measured in the same process.
// CPU time, because the machines running benchmarks are often shared.
#pragma once

#include <benchmark/benchmark.h>

#include <iomanip>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace bench_support {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) nanoseconds_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }

  /// Prints "name  R.RRx reference" (or "name  P%" as a share), when both ran.
  void PrintRatio(const std::string& name, const std::string& reference) const {
    if (!Ran(name, reference)) return;
    std::cout << std::left << std::setw(22) << name << std::fixed << std::setprecision(2)
              << nanoseconds_.at(name) / nanoseconds_.at(reference) << "x " << reference << '\n';
  }
  void PrintShare(const std::string& name, const std::string& reference) const {
    if (!Ran(name, reference)) return;
    std::cout << std::left << std::setw(22) << name << std::fixed << std::setprecision(0)
              << 100.0 * nanoseconds_.at(reference) / nanoseconds_.at(name) << "% of " << reference
              << '\n';
  }

 private:
  bool Ran(const std::string& name, const std::string& reference) const {
    return nanoseconds_.count(name) != 0 && nanoseconds_.count(reference) != 0;
  }

  std::map<std::string, double> nanoseconds_;
};

}  // namespace bench_support
