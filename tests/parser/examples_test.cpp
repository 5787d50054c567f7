// The example project shipped in examples/ must stay valid text of the language.
#include <fstream>
#include <sstream>

#include "parser_test_support.h"

namespace {

std::string readExample(const std::string& relative) {
    std::ifstream in(std::string(RILK_SOURCE_DIR) + "/examples/" + relative);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Examples, HelloProjectAndUnitParse) {
    const Rilk::ProjectData project =
        Visit(readExample("hello/.rilk_project.txt"), Kind::Project).project();
    EXPECT_EQ(project.name, "hello");
    ASSERT_EQ(project.units.size(), 1u);
    EXPECT_EQ(project.tools.size(), 1u);

    const auto unit = Visit(readExample("hello/rilk.txt"), Kind::Unit).unit();
    EXPECT_EQ(unit->name, "hello");
    EXPECT_EQ(unit->defaultTarget, "app");
    EXPECT_EQ(unit->targets.size(), 3u);
}

}  // namespace
