// Names are compared and hashed on every variable lookup; these must stay allocation-free.
#include <map>
#include <string>

#include <benchmark/benchmark.h>

#include "util/ci_string.h"

namespace {

void BM_CiStringHash(benchmark::State& state) {
    const std::string name(static_cast<std::size_t>(state.range(0)), 'X');
    for (auto _ : state) benchmark::DoNotOptimize(Util::CiString::hash(name));
}
BENCHMARK(BM_CiStringHash)->Arg(8)->Arg(64);

void BM_CiStringMapLookup(benchmark::State& state) {
    std::map<Util::CiString, int> variables;
    for (int i = 0; i < state.range(0); ++i) variables.emplace("VARIABLE_" + std::to_string(i), i);
    const Util::CiString key("variable_" + std::to_string(state.range(0) / 2));
    for (auto _ : state) benchmark::DoNotOptimize(variables.find(key));
}
BENCHMARK(BM_CiStringMapLookup)->Arg(16)->Arg(1024);

}  // namespace
