// Costs that grow with the size of a variable block: each must stay linear (or close to
// it) from the sizes of ordinary projects up to ten times the sizes that once took seconds.
// The reported complexity is fitted over the sizes run.
#include <memory>
#include <string>

#include <benchmark/benchmark.h>

#include "types/context_template.h"
#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"

namespace {

using Rilk::Assignment;
using Rilk::AssignModifier;
using Rilk::AssignType;

Assignment assign(const std::string& name, Rilk::RilkValuePtr value,
                  AssignType type = AssignType::Set) {
    return Assignment(name, std::move(value), type, AssignModifier::None);
}

Rilk::RilkValuePtr ref(const std::string& name) {
    Rilk::Identifier identifier;
    identifier.segments.push_back({name, {}});
    return std::make_shared<Rilk::RilkIdentifier>(identifier);
}

/// One string holding n references "${v}", resolved.
void BM_ManyReferences(benchmark::State& state) {
    std::string text;
    for (std::int64_t i = 0; i < state.range(0); ++i) text += "${v}";
    Rilk::Context context;
    context.addAssignment(assign("v", Rilk::makeString("w")), Rilk::kKeepModifier);
    for (auto _ : state) {
        auto value = Rilk::makeString(text);
        value->setResolver(&context);
        benchmark::DoNotOptimize(value->resolve());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ManyReferences)->RangeMultiplier(2)->Range(25000, 400000)->Complexity();

/// n appends `x += "b"` to one list variable.
void BM_ManyAppends(benchmark::State& state) {
    const Assignment appended = assign("x", Rilk::makeString("b"), AssignType::Append);
    for (auto _ : state) {
        Rilk::Context context;
        context.addAssignment(assign("x", std::make_shared<Rilk::RilkList>()), Rilk::kKeepModifier);
        for (std::int64_t i = 0; i < state.range(0); ++i) {
            context.addAssignment(appended, Rilk::kKeepModifier);
        }
        benchmark::DoNotOptimize(context.getVariable("x"));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ManyAppends)->RangeMultiplier(2)->Range(25000, 500000)->Complexity();

/// n blocks `if v = "1" { x += "b" }` that all apply, and as many that do not.
void BM_ManyConditionBlocks(benchmark::State& state) {
    const auto body = std::make_shared<Rilk::ContextTemplate>(
        std::vector<Assignment>{assign("x", Rilk::makeString("b"), AssignType::Append)});
    std::vector<Rilk::Condition> conditions;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        for (const char* value : {"1", "0"}) {
            conditions.push_back(
                {ref("v"), Rilk::makeString(value), Rilk::Condition::OperatorType::Equal, body});
        }
    }
    const Rilk::ContextTemplate block(
        {assign("v", Rilk::makeString("1")), assign("x", Rilk::makeString(""))}, conditions);
    for (auto _ : state) {
        const Rilk::ContextPtr context = block.createContext();
        context->evaluateConditions();
        benchmark::DoNotOptimize(context->conditions.size());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ManyConditionBlocks)->RangeMultiplier(2)->Range(62500, 1000000)->Complexity();

}  // namespace
