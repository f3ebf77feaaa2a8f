// Runs the registered benchmarks and keeps each one's CPU time per iteration,
// so that a program can print ratios between runs measured in the same process.
// CPU time, because the machines running benchmarks are often shared; the
// median of the repetitions, because one slow repetition says little.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <iomanip>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace bench_support {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const std::string& name = run.run_name.function_name;
      if (run.run_type == Run::RT_Iteration) {
        samples_[name].push_back(run.GetAdjustedCPUTime());
      } else if (run.aggregate_name == "median") {
        medians_[name] = run.GetAdjustedCPUTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  bool Ran(const std::string& name) const {
    return medians_.count(name) != 0 || samples_.count(name) != 0;
  }

  /// Median CPU time per iteration of the named benchmark over its
  /// repetitions; REQUIRES: Ran(name).
  double Nanoseconds(const std::string& name) const {
    if (const auto median = medians_.find(name); median != medians_.end()) return median->second;
    std::vector<double> samples = samples_.at(name);
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    return samples.size() % 2 == 1 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
  }

  /// Prints "name  R.RRx reference" (or "name  P%" as a share), when both ran.
  void PrintRatio(const std::string& name, const std::string& reference) const {
    if (!Ran(name) || !Ran(reference)) return;
    std::cout << std::left << std::setw(22) << name << std::fixed << std::setprecision(2)
              << Nanoseconds(name) / Nanoseconds(reference) << "x " << reference << '\n';
  }
  void PrintShare(const std::string& name, const std::string& reference) const {
    if (!Ran(name) || !Ran(reference)) return;
    std::cout << std::left << std::setw(22) << name << std::fixed << std::setprecision(0)
              << 100.0 * Nanoseconds(reference) / Nanoseconds(name) << "% of " << reference << '\n';
  }

 private:
  std::map<std::string, std::vector<double>> samples_;
  std::map<std::string, double> medians_;
};

}  // namespace bench_support
