#include "app/jobs/child_environment.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace Rilk
