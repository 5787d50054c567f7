#include <string>
#include <vector>

#include "e2e/rilk_run.h"

namespace {

/// A main project "demo" importing a library by path and by registry name, with profiles.
class ImportsAndItems : public RilkRun {
protected:
    void SetUp() override {
        write({{".rilk_project.txt",
                "name demo\n"
                "import { \"lib/.rilk_project.txt\" ns; dev: libname; }\n"
                "units { core { \"core/rilk.txt\" } }\n"
                "profiles { dev { } rel { } build { } }\n"},
               {"core/rilk.txt", "unit core\nbuild: { }\ntest: { }\n"},
               {"lib/.rilk_project.txt",
                "name libname\nunits { core { \"rilk.txt\" } }\nprofiles { fast { } }\n"},
               {"lib/rilk.txt", "unit core\nlibtarget: { }\n"}});
        home.write(".config/rilk/.rilk_registry.txt",
                   "projects { LIBNAME \"" + dir() + "/lib/.rilk_project.txt\" }\n");
    }

    /// The lines of a -v 1 run that this file is about, in order.
    static std::string itemLines(const std::string& out) {
        std::string lines;
        std::size_t start = 0;
        while (start < out.size()) {
            const std::size_t end = out.find('\n', start);
            const std::string line = out.substr(start, end - start + 1);
            for (const char* head : {"Main target", "Only one", "Using profile", "Identified"}) {
                if (line.rfind(head, 0) == 0) lines += line;
            }
            start = end + 1;
        }
        return lines;
    }
};

TEST_F(ImportsAndItems, ItemsNameTargetsProfilesAndAssignments) {
    struct Case {
        std::vector<std::string> items;
        std::string lines;
    };
    const Case cases[] = {
        {{"test", "build", "A=x", "A+=\"y\"", "B?=1", "word"},
         "Main target changed from demo/core::build to test.\n"
         "Only one target name can be specified\n"
         "Identified assignment 'A = \"x\"'.\n"
         "Identified assignment 'A += \"y\"'.\n"
         "Identified assignment 'B ?= 1'.\n"
         "Identified assignment 'word'.\n"},
        {{"ns/core::libtarget"},
         "Main target changed from demo/core::build to ns/core::libtarget.\n"},
        {{"build", "rel"},
         "Using profile 'rel'.\n"
         "Main target changed from demo/core::build to build.\n"
         "Using profile 'rel'.\n"},
        {{"DEV", "libname/core::libtarget"},
         "Using profile 'DEV'.\n"
         "Using profile 'DEV'.\n"
         "Main target changed from demo/core::build to libname/core::libtarget.\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"-v", "1", "-p"};
        args.insert(args.end(), c.items.begin(), c.items.end());
        const auto result = rilk(args);
        EXPECT_EQ(itemLines(result.out), c.lines) << testing::PrintToString(c.items);
        EXPECT_EQ(result.exitCode, 0) << testing::PrintToString(c.items) << result.out;
    }
}

TEST_F(ImportsAndItems, RefusesWhatCannotBeResolved) {
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const Case cases[] = {
        {{"dev", "rel"}, "Error: Profile already set to 'dev'. It can only be set once.\n"},
        {{"dev", "DEV"}, "Error: Profile already set to 'dev'. It can only be set once.\n"},
        {{"!X=1"},
         "Error: Command-line item '!X=1' is not a target, a profile or a valid assignment: '!' "
         "assignment modifier is not allowed in this context.\n"},
        // Without the dev profile the registry import does not apply.
        {{"libname/core::libtarget"},
         "Error: Command-line item 'libname/core::libtarget' is not a target, a profile or a valid "
         "assignment: Parsing assignment failed due to syntax errors.\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"-v", "7", "-p"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto result = rilk(args);
        EXPECT_EQ(result.out, c.out) << testing::PrintToString(c.args);
        EXPECT_EQ(result.exitCode, 1) << testing::PrintToString(c.args);
    }

    const std::pair<std::string, std::string> imports[] = {
        {"\"lib/.rilk_project.txt\" (slow);", "Error: profile 'slow' not found.\n"},
        {"nope;", "Error: Registered project 'nope' not found.\n"},
        {"\".rilk_project.txt\" again;",
         "Error: Project import cycle: " + dir() + "/.rilk_project.txt -> " + dir() +
             "/.rilk_project.txt. A project cannot import itself, directly or through the "
             "projects it imports.\n"},
    };
    for (const auto& [line, out] : imports) {
        write({{".rilk_project.txt",
                "name demo\nimport { " + line + " }\nunits { core { \"core/rilk.txt\" } }\n"}});
        const auto result = rilk({"-v", "7", "-p"});
        EXPECT_EQ(result.out, out) << line;
        EXPECT_EQ(result.exitCode, 1) << line;
    }
}

}  // namespace
