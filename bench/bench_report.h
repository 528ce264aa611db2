// The summary printed after the benchmarks: ratios against the baselines of the same run,
// bounds on counters, and the reference GDI's figures when its tool is given.
#ifndef ZELVAN_BENCH_REPORT_H
#define ZELVAN_BENCH_REPORT_H

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// What the summary needs of one benchmark: the median of its repetitions when there were
// several, else its only run.
struct bench_result {
    double cpu_seconds;
    double real_seconds;
    std::map<std::string, double> counters;
    bool is_median;
};

// Prints the usual console table and keeps every result for the summary.
class summary_reporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run> &runs) override;
    const std::map<std::string, bench_result> &results() const { return results_; }

  private:
    std::map<std::string, bench_result> results_;
};

// Prints the summary. `reference_tool`, when not empty, is run once now (right after our own
// benchmarks, on the same machine) and its figures are set beside ours.
void print_summary(const std::map<std::string, bench_result> &results,
                   const std::string &reference_tool);

#endif
