#include <ctime>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "util/local_date.h"
#include "app/load/implicit_variables.h"
#include "app/load/runtime_contexts.h"
#include "types/rilk_string.h"

namespace {

using Rilk::AssignType;

TEST(ImplicitVariables, TheDateHasNoLeadingZeros) {
    std::tm parts{};
    parts.tm_year = 2026 - 1900;
    parts.tm_mon = 2;
    parts.tm_mday = 5;
    parts.tm_hour = 12;
    parts.tm_isdst = -1;
    const auto moment = std::chrono::system_clock::from_time_t(std::mktime(&parts));
    const Rilk::LocalDate date = Rilk::localDateOf(moment + std::chrono::milliseconds(999));
    EXPECT_EQ(date.year, "2026");
    EXPECT_EQ(date.month, "3");
    EXPECT_EQ(date.day, "5");
}

TEST(ImplicitVariables, AreStringsThatTargetsMayKeepOrMustTake) {
    Rilk::Workspace app;
    app.projectRoot = "/work/p";
    Rilk::addImplicitVariables(app);
    const Rilk::LocalDate today = Rilk::localDateOf(std::chrono::system_clock::now());
    const std::tuple<const char*, std::string, AssignType> expected[] = {
        {"os_family", "unix", AssignType::SetIfUnset},
        {"year", today.year, AssignType::SetIfUnset},
        {"month", today.month, AssignType::SetIfUnset},
        {"day", today.day, AssignType::SetIfUnset},
        {"PROJECT_ROOT", "/work/p", AssignType::Set},
        {"OUTPUT_DEF_DIR", "out", AssignType::Set},
        {"cwd", std::filesystem::current_path().string(), AssignType::SetIfUnset},
    };
    ASSERT_EQ(app.implicitVariables.assignments.size(), std::size(expected));
    for (const auto& [name, text, type] : expected) {
        const Rilk::Assignment& stored = app.implicitVariables.assignments.at(name);
        EXPECT_EQ(stored.value->toString(), text) << name;
        EXPECT_EQ(stored.value->typeName(), "RilkString") << name;
        EXPECT_EQ(stored.type, type) << name;
    }
}

TEST(ImplicitVariables, WithoutProjectTheCommandLineAppliesOnTopUnlessInCommandMode) {
    for (bool cmdMode : {false, true}) {
        Rilk::Workspace app;
        Rilk::LoadOptions options;
        options.cmdMode = cmdMode;
        Rilk::addImplicitVariables(app);
        app.commandLineContext.addAssignment(
            {"cwd", Rilk::makeString("/elsewhere"), AssignType::Set, Rilk::AssignModifier::None},
            0);
        Rilk::applyDefaultProfile(app, options);
        EXPECT_EQ(app.implicitContext.getString("cwd"),
                  cmdMode ? std::filesystem::current_path().string() : "/elsewhere");
        EXPECT_FALSE(app.implicitContext.hasVariable("PROFILE"));
        // The context holds its own values: changing one leaves the implicit variables be.
        app.implicitContext.getVariable("output_def_dir")->append(*Rilk::makeString("x"));
        EXPECT_EQ(app.implicitVariables.getString("output_def_dir"), "out");
    }
}

}  // namespace
