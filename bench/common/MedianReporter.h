#pragma once
// The console table of Google Benchmark, keeping what each benchmark measured so that a benchmark
// program can print its ratios after the table. With repetitions, the median stands for the
// benchmark. Benchmarks are named "function" or, with arguments, "function/arguments".
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace tessaly::bench {

class MedianReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration && run.aggregate_name != "median") continue;
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty()) name += "/" + run.run_name.args;
            Measured& m = measured_[name];
            m.realTime = run.GetAdjustedRealTime();
            m.cpuTime = run.GetAdjustedCPUTime();
            for (const auto& [counter, value] : run.counters) m.counters[counter] = value.value;
        }
    }

protected:
    // Wall and processor time in the benchmark's unit, and a counter's value; 0 when not measured.
    double RealTime(const std::string& name) const { return Find(name).realTime; }
    double CpuTime(const std::string& name) const { return Find(name).cpuTime; }
    double CounterValue(const std::string& name, const std::string& counter) const {
        const auto& counters = Find(name).counters;
        const auto it = counters.find(counter);
        return it == counters.end() ? 0 : it->second;
    }

private:
    struct Measured {
        double realTime = 0;
        double cpuTime = 0;
        std::map<std::string, double> counters;
    };
    const Measured& Find(const std::string& name) const {
        static const Measured none;
        const auto it = measured_.find(name);
        return it == measured_.end() ? none : it->second;
    }

    std::map<std::string, Measured> measured_;
};

}  // namespace tessaly::bench
