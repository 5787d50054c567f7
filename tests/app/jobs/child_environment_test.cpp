#include "app/jobs/child_environment.h"

#include <stdlib.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace Rilk {
namespace {

TEST(ChildEnvironment, PutsTheRecipeDirectoriesBeforeTheInheritedPath) {
    struct Case {
        std::vector<std::string> inherited;
        std::vector<std::filesystem::path> directories;
        std::vector<std::string> expected;
    };
    const std::vector<std::filesystem::path> abc = {"/a", "", "/b"};
    const Case cases[] = {
        {{"HOME=/h", "PATH=/usr/bin", "X=1"}, abc, {"HOME=/h", "PATH=/a:/b:/usr/bin", "X=1"}},
        {{"HOME=/h"}, abc, {"HOME=/h", "PATH=/a:/b"}},
        {{"PATH="}, abc, {"PATH=/a:/b"}},
        {{"PATH=/usr/bin"}, {}, {"PATH=/usr/bin"}},
        {{"X=1"}, {"", ""}, {"X=1"}},
        // A variable whose name only starts with PATH is not the search path.
        {{"PATHS=/p", "PATH=/q"}, {"/d"}, {"PATHS=/p", "PATH=/d:/q"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(childEnvironment(c.inherited, c.directories), c.expected) << c.inherited.front();
    }
}

TEST(ChildEnvironment, VariablesSetForCommandsReplaceTheProgramsOwn) {
    auto commandsGet = [](const std::string& name) {
        const std::vector<std::string> entries = currentEnvironment();
        std::vector<std::string> found;
        std::copy_if(entries.begin(), entries.end(), std::back_inserter(found),
                     [&](const std::string& entry) { return entry.starts_with(name + "="); });
        return found;
    };
    ::setenv("RILK_TEST_OWN", "program", 1);
    EXPECT_EQ(commandsGet("RILK_TEST_OWN"), std::vector<std::string>{"RILK_TEST_OWN=program"});
    setCommandVariable("RILK_TEST_OWN", "a\nb");
    setCommandVariable("RILK_TEST_NEW", "n");
    EXPECT_EQ(commandsGet("RILK_TEST_OWN"), std::vector<std::string>{"RILK_TEST_OWN=a\nb"});
    EXPECT_EQ(commandsGet("RILK_TEST_NEW"), std::vector<std::string>{"RILK_TEST_NEW=n"});
    EXPECT_STREQ(::getenv("RILK_TEST_OWN"), "program") << "the program's own is kept";
    setCommandVariable("RILK_TEST_OWN", "");
    setCommandVariable("RILK_TEST_NEW", "");
    EXPECT_TRUE(commandsGet("RILK_TEST_OWN").empty());
    EXPECT_TRUE(commandsGet("RILK_TEST_NEW").empty());
    ::unsetenv("RILK_TEST_OWN");
}

}  // namespace
}  // namespace Rilk
