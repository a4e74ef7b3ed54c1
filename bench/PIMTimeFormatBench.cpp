// Formatting the stored date-time form: the kit's formatter against the C
// library doing the same work (gmtime_r of the local seconds and strftime).
// After the runs the ratio kit / C library is printed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <string>

#include "PIMTime.h"

namespace {

const char kStoredForm[] = "%Y%m%d%H%M%S";
const __int64 kInstant = 889850489;  // 1998-03-14 03:41:29 UTC

void KitFormat(benchmark::State& state) {
    const CPIMTime t(kInstant);
    for (auto _ : state) {
        CString text = t.Format(kStoredForm);
        benchmark::DoNotOptimize(text);
    }
}

void CLibraryFormat(benchmark::State& state) {
    for (auto _ : state) {
        const time_t local = static_cast<time_t>(kInstant - timezone);
        struct tm fields;
        gmtime_r(&local, &fields);
        char buffer[32];
        std::strftime(buffer, sizeof buffer, kStoredForm, &fields);
        std::string text(buffer);
        benchmark::DoNotOptimize(text);
    }
}

BENCHMARK(KitFormat);
BENCHMARK(CLibraryFormat);

// Collects each benchmark's time per iteration so that the ratio can be
// printed after the usual report.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "mean") {
                m_times[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const double kit = m_times["KitFormat"];
        const double c = m_times["CLibraryFormat"];
        if (c > 0) std::printf("Format ratio kit / C library: %.2f\n", kit / c);
    }

private:
    std::map<std::string, double> m_times;
};

}  // namespace

int main(int argc, char** argv) {
    tzset();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
