// The summary: ratios against same-run baselines, counter bounds, reference GDI figures.
#include "bench/bench_report.h"

#include "bench/bench_support.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

std::vector<bench_ratio> &ratio_rows() {
    static std::vector<bench_ratio> rows;
    return rows;
}

std::vector<bench_bound> &bound_rows() {
    static std::vector<bench_bound> rows;
    return rows;
}

// One figure of the reference GDI tool: its line label and the benchmark of ours that draws
// the same shape the same way.
struct reference_row {
    const char *label;
    const char *ours;
    double minimum_speed;
};

const reference_row k_reference_rows[] = {
    {"SetPixelV", "pixel/ZVSetPixelFast", 1.0},
    {"GDI LineTo ~100px", "line/ZVLine_gdi_pattern_w1", 2.0},
    {"LineTo w5", "line/ZVLine_gdi_pattern_w5", 2.0},
    {"Ellipse filled r50", "circle/ZVFillCircle_r50", 4.0},
    {"Ellipse outline r50", "circle/ZVCircle_r50", 4.0},
    {"FillRect 1024x768", "fill/ZVFillRectangle_1024x768", 0.0},
    {"BitBlt 1024x768", "blit/ZVCopyDrawBufferToView_1024x768", 0.0},
};

// "1.23 us" style, for seconds.
std::string human_time(double seconds) {
    char text[32];
    if (seconds < 1e-6)
        snprintf(text, sizeof text, "%.1f ns", seconds * 1e9);
    else if (seconds < 1e-3)
        snprintf(text, sizeof text, "%.2f us", seconds * 1e6);
    else
        snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
    return text;
}

const char *verdict(double value, double bound, bool bound_is_minimum) {
    if (bound == 0) return "";
    bool met = bound_is_minimum ? value >= bound : value < bound;
    return met ? "met" : "MISSED";
}

const bench_result *find_result(const std::map<std::string, bench_result> &results,
                                const char *name) {
    auto found = results.find(name);
    return found == results.end() ? nullptr : &found->second;
}

void print_ratios(const std::map<std::string, bench_result> &results) {
    printf("\n%-34s %12s %12s %8s %8s\n", "ratio (baseline time / ours)", "ours", "baseline",
           "speed", "target");
    for (const bench_ratio &row : ratio_rows()) {
        const bench_result *ours = find_result(results, row.ours);
        const bench_result *base = find_result(results, row.baseline);
        if (!ours || !base) {
            printf("%-34s   not measured (%s / %s)\n", row.what, row.ours, row.baseline);
            continue;
        }
        bool real = row.clock == ratio_clock::real;
        double ours_s = real ? ours->real_seconds : ours->cpu_seconds;
        double base_s = real ? base->real_seconds : base->cpu_seconds;
        double speed = base_s / ours_s;
        printf("%-34s %12s %12s %7.2fx %7.2fx %s\n", row.what, human_time(ours_s).c_str(),
               human_time(base_s).c_str(), speed, row.minimum_speed,
               verdict(speed, row.minimum_speed, true));
    }
}

void print_bounds(const std::map<std::string, bench_result> &results) {
    printf("\n%-34s %12s %12s\n", "measure", "value", "bound");
    for (const bench_bound &row : bound_rows()) {
        const bench_result *result = find_result(results, row.benchmark);
        const double *value = nullptr;
        if (result) {
            auto counter = result->counters.find(row.counter);
            if (counter != result->counters.end()) value = &counter->second;
        }
        if (!value) {
            printf("%-34s   not measured (%s)\n", row.what, row.benchmark);
            continue;
        }
        if (row.bound == 0) {
            printf("%-34s %12.2f %12s\n", row.what, *value, "-");
            continue;
        }
        printf("%-34s %12.2f %c%11.2f %s\n", row.what, *value, row.bound_is_minimum ? '>' : '<',
               row.bound, verdict(*value, row.bound, row.bound_is_minimum));
    }
}

// Seconds from one line of the reference tool ("SetPixelV: 52.3 ns"), or 0.
double reference_seconds(const std::string &output, const char *label) {
    std::string key = std::string(label) + ":";
    size_t at = output.find(key);
    if (at == std::string::npos) return 0;
    double value = 0;
    char unit[8] = "";
    if (sscanf(output.c_str() + at + key.size(), "%lf %7s", &value, unit) != 2) return 0;
    if (strcmp(unit, "ns") == 0) return value * 1e-9;
    if (strcmp(unit, "us") == 0) return value * 1e-6;
    if (strcmp(unit, "ms") == 0) return value * 1e-3;
    return 0;
}

std::string run_tool(const std::string &tool) {
    std::string output;
    FILE *pipe = popen(tool.c_str(), "r");
    if (!pipe) return output;
    char buffer[512];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    pclose(pipe);
    return output;
}

// The tool times wall-clock loops, which other busy processes stretch: of several runs,
// the fastest figure for each shape is the one least disturbed.
constexpr int reference_runs = 5;

void print_reference(const std::map<std::string, bench_result> &results, const std::string &tool) {
    printf("\nrunning the reference GDI %d times, keeping each figure's fastest: %s\n",
           reference_runs, tool.c_str());
    std::vector<std::string> outputs;
    for (int i = 0; i < reference_runs; i++) outputs.push_back(run_tool(tool));
    printf("%-34s %12s %12s %8s %8s\n", "reference GDI (its time / ours)", "ours", "GDI", "speed",
           "target");
    for (const reference_row &row : k_reference_rows) {
        const bench_result *ours = find_result(results, row.ours);
        double gdi = 0;
        for (const std::string &output : outputs) {
            double seconds = reference_seconds(output, row.label);
            if (seconds > 0 && (gdi == 0 || seconds < gdi)) gdi = seconds;
        }
        if (!ours || gdi == 0) {
            printf("%-34s   not measured (%s)\n", row.label,
                   ours ? "tool gave no figure" : row.ours);
            continue;
        }
        double speed = gdi / ours->cpu_seconds;
        printf("%-34s %12s %12s %7.2fx %7.2fx %s\n", row.label,
               human_time(ours->cpu_seconds).c_str(), human_time(gdi).c_str(), speed,
               row.minimum_speed, verdict(speed, row.minimum_speed, true));
    }
}

} // namespace

bench_row_registrar::bench_row_registrar(const bench_ratio &row) {
    ratio_rows().push_back(row);
}

bench_row_registrar::bench_row_registrar(const bench_bound &row) {
    bound_rows().push_back(row);
}

void summary_reporter::ReportRuns(const std::vector<Run> &runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run &run : runs) {
        if (run.error_occurred) continue;
        bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.run_type == Run::RT_Aggregate && !median) continue;
        bench_result &kept = results_[run.run_name.function_name];
        // The median, once it arrives, stands for all the repetitions.
        if (kept.is_median && !median) continue;
        double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
        kept.cpu_seconds = run.GetAdjustedCPUTime() / unit;
        kept.real_seconds = run.GetAdjustedRealTime() / unit;
        kept.is_median = median;
        kept.counters.clear();
        for (const auto &counter : run.counters)
            kept.counters[counter.first] = counter.second.value;
    }
}

void print_summary(const std::map<std::string, bench_result> &results,
                   const std::string &reference_tool) {
    print_ratios(results);
    print_bounds(results);
    if (!reference_tool.empty()) print_reference(results, reference_tool);
    fflush(stdout);
}
