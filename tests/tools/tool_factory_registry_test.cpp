#include "tools/tool_factory_registry.h"

#include <memory>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "tools/matcher.h"

namespace Rilk {
namespace {

/// A matcher that shows what its factory was given.
class RecordingMatcher : public Matcher {
public:
    RecordingMatcher(Util::CiString toolName, AssignmentTable assignments,
                     AssignmentTable mustAssignments, std::string madeBy)
        : Matcher(toolName.str(), commandMatcherTables().criteria, commandMatcherTables().required,
                  assignments, mustAssignments),
          factory(std::move(madeBy)) {}
    std::unique_ptr<Matcher> clone() const override {
        return std::make_unique<RecordingMatcher>(*this);
    }
    std::shared_ptr<Builder> builderFor(const TargetContext&) const override { return nullptr; }

    std::string factory;
};

ToolFactory factoryNamed(const std::string& label) {
    return [label](Util::CiString toolName, AssignmentTable assignments,
                   AssignmentTable mustAssignments) -> Matcher* {
        return new RecordingMatcher(std::move(toolName), std::move(assignments),
                                    std::move(mustAssignments), label);
    };
}

/// Registers the test tool type during static initialisation, as the real tools do.
class RegisterRecordingMatcher {
public:
    RegisterRecordingMatcher() { registerToolFactory("recording", "NULL", factoryNamed("static")); }
};
const RegisterRecordingMatcher registerRecordingMatcher;

std::unique_ptr<RecordingMatcher> create(const Util::CiString& type, AssignmentTable plain = {},
                                         AssignmentTable must = {}) {
    Matcher* made = createToolMatcher(type, "my_tool", std::move(plain), std::move(must));
    return std::unique_ptr<RecordingMatcher>(dynamic_cast<RecordingMatcher*>(made));
}

TEST(ToolFactoryRegistry, FactoryRegisteredBeforeMainIsFoundIgnoringCase) {
    AssignmentTable plain = makeAssignmentTable({"cwd"});
    AssignmentTable must = makeAssignmentTable({"flag"});
    std::unique_ptr<RecordingMatcher> matcher = create("RECORDING", plain, must);
    ASSERT_NE(matcher, nullptr);
    EXPECT_EQ(matcher->factory, "static");
    EXPECT_EQ(matcher->name, "my_tool");
    EXPECT_EQ(matcher->required.count("flag"), 1U);
}

TEST(ToolFactoryRegistry, UnknownTypeGivesNoMatcher) {
    EXPECT_EQ(createToolMatcher("clang", "t", {}, {}), nullptr);
}

TEST(ToolFactoryRegistry, LaterRegistrationReplacesTheEarlierOne) {
    registerToolFactory("replaced", "NULL", factoryNamed("first"));
    registerToolFactory("REPLACED", "NULL", factoryNamed("second"));
    EXPECT_EQ(create("Replaced")->factory, "second");
}

TEST(ToolFactoryRegistry, EmptyFactoryTakesACopyOfTheFallback) {
    registerToolFactory("fallback_source", "NULL", factoryNamed("fallback"));
    registerToolFactory("borrowing", "FALLBACK_SOURCE", ToolFactory());
    registerToolFactory("fallback_source", "NULL", factoryNamed("changed later"));
    EXPECT_EQ(create("borrowing")->factory, "fallback");
}

TEST(ToolFactoryRegistry, EmptyFactoryWithoutFallbackGivesNoMatcher) {
    registerToolFactory("hollow", "never_registered", ToolFactory());
    EXPECT_EQ(createToolMatcher("hollow", "t", {}, {}), nullptr);
    EXPECT_EQ(createToolMatcher("never_registered", "t", {}, {}), nullptr);
}

TEST(ToolFactoryRegistry, FactoryErrorsPassThrough) {
    registerToolFactory("failing", "NULL",
                        [](Util::CiString, AssignmentTable, AssignmentTable) -> Matcher* {
                            throw std::runtime_error("no toolchain");
                        });
    EXPECT_THROW(createToolMatcher("failing", "t", {}, {}), std::runtime_error);
}

}  // namespace
}  // namespace Rilk
