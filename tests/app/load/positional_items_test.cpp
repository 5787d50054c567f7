#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/load/positional_items.h"
#include "app/load/workspace.h"
#include "support/temp_dir.h"
#include "types/rilk_errors.h"
#include "util/logger.h"

namespace {

const char* kUnit = "unit app\nbuild: { }\ntest: { }\n";

class PositionalItemsTest : public testing::Test {
protected:
    void SetUp() override { Rilk::verbosity = 8; }
    void TearDown() override { Rilk::verbosity = 5; }

    /// A new run without project: loads the unit and applies `items`; returns the error
    /// text, or "ok".
    std::string run(std::vector<std::string> items) {
        dir.write("rilk.txt", kUnit);
        appHolder = std::make_unique<Rilk::Workspace>();
        Rilk::Workspace& app = *appHolder;
        Rilk::LoadOptions options;
        options.positionalItems = std::move(items);
        try {
            options.unitFile = dir.path() / "rilk.txt";
            Rilk::loadMainUnits(app, options);
            Rilk::handlePositionalItems(app, options);
        } catch (const Rilk::RilkException& error) {
            return error.message();
        } catch (const std::exception& error) {
            return error.what();
        }
        return "ok";
    }

    std::string variable(const std::string& name) const {
        const auto& variables = appHolder->commandLineContext.assignments;
        const auto found = variables.find(name);
        if (found == variables.end()) return "<absent>";
        return found->second.value ? found->second.value->toString() : "<declared>";
    }

    RilkTest::TempDir dir;
    std::unique_ptr<Rilk::Workspace> appHolder;
};

TEST_F(PositionalItemsTest, TheFirstTargetNameChangesTheMainTarget) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "/app::build"},
        {{"TEST", "build"}, "/app::TEST"},
        {{"1::test"}, "/1::test"},
        {{"/app::test"}, "/app::test"},
    };
    for (const auto& [items, target] : cases) {
        ASSERT_EQ(run(items), "ok");
        EXPECT_EQ(appHolder->mainTarget.toString(), target);
    }
}

TEST_F(PositionalItemsTest, OtherItemsAreAssignments) {
    ASSERT_EQ(run({"A=x", "A+=y", "B?=u", "B?=v", "C", "^D=\"d\"", "dev"}), "ok");
    EXPECT_EQ(variable("A"), "x y");
    EXPECT_EQ(variable("B"), "u");
    EXPECT_EQ(variable("C"), "<declared>");
    EXPECT_EQ(variable("dev"), "<declared>");  // no project, so no profile
    EXPECT_EQ(appHolder->commandLineContext.assignments.at("D").modifier, Rilk::AssignModifier::Up);
}

TEST_F(PositionalItemsTest, AnEqualsReplacesAnEarlierItemWhole) {
    ASSERT_EQ(run({"A+=x", "A=y", "B=u", "B+=v"}), "ok");
    const auto& variables = appHolder->commandLineContext.assignments;
    EXPECT_EQ(variables.at("A").type, Rilk::AssignType::Set);
    EXPECT_EQ(variable("A"), "y");
    EXPECT_EQ(variable("B"), "u v");
}

}  // namespace
