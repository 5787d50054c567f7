#include "app/project_template.h"

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

TEST(ProjectTemplate, RefusesWhatTheProjectFileLoaderWouldRefuse) {
    const std::string refusal = "Cannot create the project file: ";
    Rilk::ProjectTree badUnit;
    badUnit.unitFiles["core{"] = {"a/rilk.txt"};
    Rilk::ProjectTree badPath;
    badPath.unitFiles["core"] = {"a\"b/rilk.txt"};
    const struct {
        std::string name;
        const Rilk::ProjectTree& tree;
        std::string error;
    } cases[] = {
        {"", Rilk::ProjectTree{},
         refusal + "the project name '' is not a valid name: it is empty. Run it in a "
                   "directory whose name is a valid name."},
        {"import", Rilk::ProjectTree{},
         refusal + "the project name 'import' is not a valid name: it is a keyword of the "
                   "language. Run it in a directory whose name is a valid name."},
        {"app", badUnit,
         refusal + "the unit name 'core{' declared in 'a/rilk.txt' is not a valid name: a name "
                   "starts with a letter or '_' and holds only letters, digits, '_' and '-'."},
        {"app", badPath,
         refusal + "the path 'a\"b/rilk.txt' holds a double quote, which a project file cannot "
                   "hold."},
    };
    for (const auto& c : cases) EXPECT_EQ(templateOrError(c.name, c.tree), c.error) << c.name;
}

}  // namespace
