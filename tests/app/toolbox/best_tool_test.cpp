#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/toolbox/best_tool.h"
#include "support/run_process.h"
#include "tools/matcher.h"
#include "types/rilk_string.h"
#include "types/target_context.h"
#include "util/logger.h"

namespace {

using Rilk::AssignModifier;
using Rilk::AssignType;

/// A tool whose own match answers with a fixed status and usage.
class FixedMatcher : public Rilk::Matcher {
public:
    FixedMatcher(const std::string& name, const Rilk::AssignmentTable& criteria,
                 const Rilk::AssignmentTable& required, Rilk::MatchResult answer)
        : Matcher(name, criteria, required, {}, {}), answer_(std::move(answer)) {}
    std::unique_ptr<Matcher> clone() const override {
        return std::make_unique<FixedMatcher>(*this);
    }
    Rilk::MatchResult match(const Rilk::TargetContext&, const Rilk::ToolScores&) const override {
        return answer_;
    }
    std::shared_ptr<Rilk::Builder> builderFor(const Rilk::TargetContext&) const override {
        return nullptr;
    }

private:
    Rilk::MatchResult answer_;
};

/// name = value pairs; a null text declares the name without a value.
Rilk::AssignmentTable table(std::initializer_list<std::pair<const char*, const char*>> entries,
                            AssignModifier modifier = AssignModifier::None) {
    Rilk::AssignmentTable result;
    for (const auto& [name, text] : entries) {
        result.emplace(name, Rilk::Assignment(name, text ? Rilk::makeString(text) : nullptr,
                                              AssignType::Set, modifier));
    }
    return result;
}

Rilk::MatchResult possible(std::map<Util::CiString, Rilk::VariableMatch> usage = {}) {
    return {std::move(usage), Rilk::BuildPossible};
}

std::shared_ptr<Rilk::TargetContext> target(const Rilk::AssignmentTable& variables) {
    Rilk::Context context;
    for (const auto& [name, assignment] : variables) context.addAssignment(assignment, 0);
    return std::make_shared<Rilk::TargetContext>(context, Rilk::QualifiedTargetName("", "u", "t"));
}

/// The tools to choose from and the weights of the choice.
struct ToolChoice {
    Rilk::Matcher* findBestTool(const Rilk::TargetContext& target) const {
        return Rilk::bestTool(tools, weights, target);
    }
    Rilk::ToolMap tools;
    Rilk::MatchWeights weights;
};

void add(ToolChoice& app, const std::string& name, const Rilk::AssignmentTable& criteria,
         const Rilk::AssignmentTable& required = {}, Rilk::MatchResult answer = possible()) {
    app.tools[name] = std::make_shared<FixedMatcher>(name, criteria, required, answer);
}

std::string bestName(const ToolChoice& app, const Rilk::TargetContext& context) {
    const Rilk::Matcher* best = app.findBestTool(context);
    return best ? best->name : "none";
}

TEST(BestTool, TheHighestScoreAmongToolsThatCanBuildWins) {
    const auto context = target(table({{"mode", "DEBUG"}, {"cmd", "x"}}));
    struct Case {
        const char* what;
        std::function<void(ToolChoice&)> setUp;
        std::string best;
    };
    const Case cases[] = {
        {"no tools", [](ToolChoice&) {}, "none"},
        {"a tie keeps the earlier name",
         [](ToolChoice& app) {
             add(app, "b", {});
             add(app, "A", {});
         },
         "A"},
        {"an exact match beats a partial one",
         [](ToolChoice& app) {
             add(app, "a", table({{"mode", "release"}}));
             add(app, "z", table({{"mode", "debug"}}));
         },
         "z"},
        {"a missing required variable without default excludes a tool",
         [](ToolChoice& app) {
             add(app, "a", table({{"mode", "debug"}}), table({{"needed", nullptr}}));
             add(app, "b", {});
         },
         "b"},
        {"a required variable with a default is not needed",
         [](ToolChoice& app) {
             add(app, "a", table({{"mode", "debug"}}), table({{"needed", "yes"}}));
             add(app, "b", {});
         },
         "a"},
        {"a tool that cannot build never wins",
         [](ToolChoice& app) {
             add(app, "a", table({{"mode", "debug"}}), {}, Rilk::MatchResult{});
             add(app, "b", {});
         },
         "b"},
        {"a tool's own exact entry stands",
         [](ToolChoice& app) {
             add(app, "a", table({{"mode", "release"}}));
             add(app, "z", table({{"mode", "release"}}), {},
                 possible({{"mode", {Rilk::ExactMatch, 1}}}));
         },
         "z"},
    };
    for (const Case& c : cases) {
        ToolChoice app;
        c.setUp(app);
        EXPECT_EQ(bestName(app, *context), c.best) << c.what;
    }
}

TEST(BestTool, ReportsTheChoiceWithItsScore) {
    const auto result = RilkTest::runInChild([] {
        ToolChoice app;
        // out: an output variable without value (none), diff: partial, same: exact.
        Rilk::AssignmentTable variables = table({{"diff", "1"}, {"same", "x"}});
        variables.merge(table({{"out", nullptr}}, AssignModifier::Up));
        add(app, "cc", table({{"out", "o"}, {"diff", "2"}, {"same", "X"}, {"absent", "a"}}));
        Rilk::verbosity = 3;
        app.findBestTool(*target(variables));
        app.weights.none = 10;
        app.findBestTool(*target(variables));
        Rilk::verbosity = 4;  // above the level of the report
        app.findBestTool(*target(variables));
        app.tools.clear();
        Rilk::verbosity = -1;
        app.findBestTool(*target(variables));
    });
    EXPECT_EQ(result.out,
              "Best registered tool: cc, score: 3\nBest registered tool: cc, score: 13\n");
}

}  // namespace
