#include "app/driver/project_template.h"

#include <string>

#include <gtest/gtest.h>

#include "types/rilk_errors.h"

namespace {

std::string templateOrError(const std::string& name, const Rilk::ProjectTree& tree) {
    try {
        return Rilk::projectTemplateText(name, tree);
    } catch (const Rilk::RilkException& e) {
        return e.message();
    }
}

TEST(ProjectTemplate, ListsNamedUnitsInNameOrderWithTheirFiles) {
    Rilk::ProjectTree tree;
    tree.unitFiles["core"] = {"src/rilk.txt", "src/more/RILK.txt"};
    tree.unitFiles[""] = {"doc/rilk.txt"};
    tree.unitFiles["Beta"] = {"b/rilk.txt"};
    EXPECT_EQ(templateOrError("demo", tree),
              "name demo\nunits\n{\n"
              "Beta\n{\n  \"b/rilk.txt\"\n}\n"
              "core\n{\n  \"src/rilk.txt\"\n  \"src/more/RILK.txt\"\n}\n"
              "}\n");
    EXPECT_EQ(templateOrError("demo", Rilk::ProjectTree{}), "name demo\nunits\n{\n}\n");
}

// The other refusals are run end to end.
TEST(ProjectTemplate, RefusesTheEmptyNameOfTheRootDirectory) {
    EXPECT_EQ(templateOrError("", Rilk::ProjectTree{}),
              "Cannot create the project file: the project name '' is not a valid name: it is "
              "empty. Run it in a directory whose name is a valid name.");
}

// A path the project file cannot read back as a string is refused, not written.
TEST(ProjectTemplate, RefusesAUnitFilePathThatIsNotUtf8) {
    Rilk::ProjectTree tree;
    tree.unitFiles["core"] = {"src/caf\xe9/rilk.txt"};
    EXPECT_EQ(templateOrError("demo", tree),
              "Cannot create the project file: the path 'src/caf\xe9/rilk.txt' is not valid "
              "UTF-8, which a project file cannot hold.");
}

}  // namespace
