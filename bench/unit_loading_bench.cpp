// Loading a unit file of 1,000 to 100,000 command targets: the fast reader (on as many
// threads as it takes, and on one) against the generated parser and the visitor, which it
// stands in for on valid files.
#include <memory>
#include <stdexcept>
#include <string>

#include <benchmark/benchmark.h>

#include "parser/fast_unit_reader.h"
#include "parser/parse_chain.h"
#include "parser/rilk_visitor_impl.h"
#include "parser/throwing_error_listener.h"

namespace {

/// One top target over `count` targets, each copying one input file to one output path:
/// the shape of the side-by-side comparison's projects (bench/compare.py).
std::string unitText(std::int64_t count) {
    std::string text = "unit big\nall:";
    for (std::int64_t i = 0; i < count; ++i) text += " t" + std::to_string(i);
    text += " {\n    NO_TOOL = 1\n}\n";
    for (std::int64_t i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        text += "t" + n + ": {\n    in = P\"(in/f" + n + ".txt)\"\n    ^out = P\"(out/f" + n +
                ".txt)\"\n    cmdline = \"cp ${in} ${out}\"\n}\n";
    }
    return text;
}

/// Frees a unit outside the timed part: the program keeps its units to the end, and on a
/// read on several threads the calling thread would free what the others made, which the
/// real read never waits for.
void freeUntimed(benchmark::State& state, Rilk::UnitPtr& unit) {
    state.PauseTiming();
    unit.reset();
    state.ResumeTiming();
}

void BM_UnitLoadFast(benchmark::State& state) {
    const std::string text = unitText(state.range(0));
    for (auto _ : state) {
        Rilk::UnitPtr unit = Rilk::readUnitFast(text, "/bench");
        if (unit == nullptr) throw std::logic_error("the fast reader declined the unit");
        benchmark::DoNotOptimize(unit);
        freeUntimed(state, unit);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_UnitLoadFast)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

/// The fast reader kept on the calling thread, against which the read in ranges on several
/// threads above is measured.
void BM_UnitLoadFastOneThread(benchmark::State& state) {
    const std::string text = unitText(state.range(0));
    for (auto _ : state) {
        Rilk::UnitPtr unit = Rilk::readUnitFast(text, "/bench", text.size() + 1, 1);
        if (unit == nullptr) throw std::logic_error("the fast reader declined the unit");
        benchmark::DoNotOptimize(unit);
        freeUntimed(state, unit);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_UnitLoadFastOneThread)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

void BM_UnitLoadGrammar(benchmark::State& state) {
    const std::string text = unitText(state.range(0));
    for (auto _ : state) {
        Rilk::ParseChain chain(text, "bench.txt");
        ThrowingErrorListener listener("bench.txt");
        chain.useErrorListener(listener);
        auto* tree = chain.unitFile();
        if (tree == nullptr || !listener.messages().empty()) {
            throw std::logic_error("the unit does not parse");
        }
        RilkVisitorImpl visitor("/bench", "", RilkVisitorImpl::Unit);
        std::unique_ptr<Rilk::Unit> unit(
            takeResult<Rilk::Unit*>(visitor.visitRilkUnit(tree->rilkUnit())));
        benchmark::DoNotOptimize(unit);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_UnitLoadGrammar)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
