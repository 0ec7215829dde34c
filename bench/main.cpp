// varoku-bench: our engine's complete symbol build side by side with the peer encoders,
// each held to the same version and level, with the heap allocations each makes per
// symbol. Ends with a table of medians and peer/ours ratios from this one run.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bench/alloc_counter.h"
#include "bench/cases.h"

namespace {

using bench::TBenchCase;
using bench::TPeerInfo;

std::string BenchName(const TBenchCase& c, const TPeerInfo& p) {
    std::string name = c.Name;
    for (auto& ch : name)
        if (ch == ' ') ch = '_';
    return name + "/" + p.Name;
}

void RunBuild(benchmark::State& state, const TBenchCase* c, const TPeerInfo* p) {
    auto peer = p->Make();
    peer->Prepare(*c);
    if (!peer->Build()) {
        state.SkipWithError("the encoder refused the case");
        return;
    }
    // The second build is counted: the first may fill caches a library keeps for good.
    const auto before = bench::AllocationCount();
    peer->Build();
    const auto allocations = static_cast<double>(bench::AllocationCount() - before);
    for (auto _ : state) {
        benchmark::DoNotOptimize(peer->Build());
        benchmark::ClobberMemory();
    }
    state.counters["allocs"] = allocations;
}

struct TFigure {
    double Micros = 0;
    double Allocations = 0;
};

// Keeps the median of every benchmark (or its only run, without repetitions) for the
// closing table, while the console shows everything as usual. The table takes CPU
// time: on a machine shared with other work it strays less than wall time.
class TTableReporter : public benchmark::ConsoleReporter {
public:
    TTableReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (!median && !single) continue;
            TFigure f;
            f.Micros = run.GetAdjustedCPUTime();
            if (const auto it = run.counters.find("allocs"); it != run.counters.end())
                f.Allocations = it->second;
            figures_[run.run_name.function_name] = f;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    const TFigure* Find(const std::string& name) const {
        const auto it = figures_.find(name);
        return it == figures_.end() ? nullptr : &it->second;
    }

private:
    std::map<std::string, TFigure> figures_;
};

// Reads every encoder's symbol back before timing anything.
bool VerifyPeers() {
    bool ok = true;
    for (const auto& c : bench::BenchCases())
        for (const auto& p : bench::Peers()) {
            auto peer = p.Make();
            peer->Prepare(c);
            std::string problem =
                peer->Build() ? bench::VerifySymbol(*peer, c) : "the encoder refused the case";
            if (!problem.empty()) {
                std::fprintf(stderr, "varoku-bench: %s, %s: %s\n", c.Name.c_str(), p.Name,
                             problem.c_str());
                ok = false;
            }
        }
    return ok;
}

void PrintTable(const TTableReporter& reporter) {
    const auto& peers = bench::Peers();
    std::printf("\nMedian CPU time per symbol in microseconds, and peer time / ours\n");
    std::printf("%-18s", "case");
    for (const auto& p : peers)
        std::printf(" %20s", p.Name);
    std::printf(" %22s\n", "fastest peer / ours");
    for (const auto& c : bench::BenchCases()) {
        std::printf("%-18s", c.Name.c_str());
        const TFigure* ours = reporter.Find(BenchName(c, peers.front()));
        const TFigure* fastest = nullptr;
        const char* fastestName = "";
        for (const auto& p : peers) {
            const TFigure* f = reporter.Find(BenchName(c, p));
            char cell[64];
            if (!f)
                std::snprintf(cell, sizeof cell, "-");
            else if (&p == &peers.front() || !ours || ours->Micros <= 0)
                std::snprintf(cell, sizeof cell, "%.2f", f->Micros);
            else
                std::snprintf(cell, sizeof cell, "%.2f (%.2fx)", f->Micros,
                              f->Micros / ours->Micros);
            std::printf(" %20s", cell);
            if (f && &p != &peers.front() && (!fastest || f->Micros < fastest->Micros)) {
                fastest = f;
                fastestName = p.Name;
            }
        }
        char cell[64] = "-";
        if (fastest && ours && ours->Micros > 0)
            std::snprintf(cell, sizeof cell, "%s %.2fx", fastestName,
                          fastest->Micros / ours->Micros);
        std::printf(" %22s\n", cell);
    }
    std::printf("\nHeap allocations per symbol\n");
    std::printf("%-18s", "case");
    for (const auto& p : peers)
        std::printf(" %20s", p.Name);
    std::printf("\n");
    for (const auto& c : bench::BenchCases()) {
        std::printf("%-18s", c.Name.c_str());
        for (const auto& p : peers) {
            const TFigure* f = reporter.Find(BenchName(c, p));
            if (f)
                std::printf(" %20.0f", f->Allocations);
            else
                std::printf(" %20s", "-");
        }
        std::printf("\n");
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    if (!VerifyPeers()) return 1;
    for (const auto& c : bench::BenchCases())
        for (const auto& p : bench::Peers())
            benchmark::RegisterBenchmark(BenchName(c, p).c_str(), RunBuild, &c, &p)
                ->Unit(benchmark::kMicrosecond);
    TTableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintTable(reporter);
    benchmark::Shutdown();
    return 0;
}
