// Formatting the stored date-time form: the kit's formatter against the C
// library doing the same work (gmtime_r of the local seconds and strftime),
// the "raw" side here. After the runs the ratio is printed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "PIMTime.h"
#include "RatioReporter.h"

namespace {

const char kStoredForm[] = "%Y%m%d%H%M%S";
const __int64 kInstant = 889850489;  // 1998-03-14 03:41:29 UTC

void KitStoredForm(benchmark::State& state) {
    const CPIMTime t(kInstant);
    for (auto _ : state) {
        CString text = t.Format(kStoredForm);
        benchmark::DoNotOptimize(text);
    }
}

void RawStoredForm(benchmark::State& state) {
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

BENCHMARK(KitStoredForm);
BENCHMARK(RawStoredForm);

}  // namespace

int main(int argc, char** argv) {
    tzset();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
