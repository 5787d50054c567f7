#include "tools/tool_factory_registry.h"

#include <gtest/gtest.h>

#include "tools/matcher.h"

namespace Rilk {
namespace {

/// A matcher that shows which factory made it.
class RecordingMatcher : public Matcher {
public:
    RecordingMatcher(const std::string& name, const AssignmentTable& plain,
                     const AssignmentTable& must, std::string madeBy)
        : Matcher(name, {}, {}, plain, must), factory(std::move(madeBy)) {}
    std::unique_ptr<Matcher> clone() const override {
        return std::make_unique<RecordingMatcher>(*this);
    }
    std::shared_ptr<Builder> builderFor(const TargetContext&) const override { return nullptr; }
    std::string factory;
};

ToolFactory factoryNamed(const std::string& label) {
    return [label](Util::CiString name, AssignmentTable plain, AssignmentTable must) -> Matcher* {
        return new RecordingMatcher(name.str(), plain, must, label);
    };
}

/// Registers a test tool type during static initialisation, as the real tools do.
[[maybe_unused]] const bool registered =
    (registerToolFactory("recording", "NULL", factoryNamed("static")), true);

/// The factory that made the matcher of `type` for the definition "my_tool" ("none" for
/// no matcher); the matcher must have been given the definition.
std::string madeBy(const Util::CiString& type) {
    std::unique_ptr<Matcher> made(createToolMatcher(type, "my_tool", makeAssignmentTable({"cwd"}),
                                                    makeAssignmentTable({"flag"})));
    if (!made) return "none";
    EXPECT_EQ(made->name, "my_tool");
    EXPECT_EQ(made->criteria.count("cwd") + made->required.count("flag"), 2U);
    return dynamic_cast<const RecordingMatcher&>(*made).factory;
}

TEST(ToolFactoryRegistry, FactoryIsFoundIgnoringCaseAndReplacedByALaterOne) {
    EXPECT_EQ(madeBy("RECORDING"), "static");
    EXPECT_EQ(madeBy("clang"), "none");
    registerToolFactory("replaced", "NULL", factoryNamed("first"));
    registerToolFactory("REPLACED", "NULL", factoryNamed("second"));
    EXPECT_EQ(madeBy("Replaced"), "second");
}

}  // namespace
}  // namespace Rilk
