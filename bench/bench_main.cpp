// The benchmark program: every *_bench.cpp of this folder, run on the headless screen, then
// the summary of ratios. Extra flag: --gdi_reference=<command> runs the reference GDI's own
// benchmark right after ours and sets its figures beside ours.
#include "bench/bench_report.h"

#include "platform/posix/display/headless/headless_test.h"

#include <benchmark/benchmark.h>

#include <stdio.h>
#include <string.h>

#include <string>

int main(int argc, char **argv) {
    std::string reference_tool;
    const char *flag = "--gdi_reference=";
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (strncmp(argv[i], flag, strlen(flag)) == 0)
            reference_tool = argv[i] + strlen(flag);
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    // The latency benchmark reads the virtual screen back, and a shared X server would only
    // add another busy process to the figures.
    if (!headless_test_activate()) {
        fprintf(stderr, "zelvan_bench: the headless screen could not be made the display\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    summary_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    print_summary(reporter.results(), reference_tool);
    benchmark::Shutdown();
    return 0;
}
