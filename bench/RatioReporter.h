// A console reporter that, after the usual report, prints the ratio of the
// kit's time to its raw counterpart's for each pair of benchmarks named
// "Kit<Name>" and "Raw<Name>" (the means when repetitions are run), and
// beside it the share of the raw rate of a "Floor<Name>" when there is one.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

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
        for (const auto& entry : m_times) {
            const std::string& name = entry.first;
            if (name.compare(0, 3, "Kit") != 0) continue;
            const auto raw = m_times.find("Raw" + name.substr(3));
            if (raw == m_times.end() || raw->second <= 0) continue;
            // Rates: the raw side's time over the kit's is the kit's share of
            // raw SQLite's rate.
            std::printf("%-24s kit/raw time %.2f  (kit runs at %.2f of raw rate", name.substr(3).c_str(),
                        entry.second / raw->second, raw->second / entry.second);
            const auto floor = m_times.find("Floor" + name.substr(3));
            if (floor != m_times.end() && floor->second > 0) {
                std::printf("; its layout alone at most %.2f", raw->second / floor->second);
            }
            std::printf(")\n");
        }
    }

private:
    std::map<std::string, double> m_times;
};
