#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/rilk_run.h"

namespace {

namespace fs = std::filesystem;

const std::map<std::string, std::string> kProject = {
    {".rilk_project.txt", "name demo units { core { \"core/rilk.txt\" } } profiles { dev { } }"},
    {"core/rilk.txt", "unit core\nbuild: { }\n"},
};

class Registry : public RilkRun {
protected:
    void SetUp() override { write(kProject); }

    fs::path registryFile() const { return home.path() / ".config/rilk/.rilk_registry.txt"; }
    std::string registryText() const {
        std::ifstream in(registryFile(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::string updated() const { return "Updated file '" + registryFile().string() + "'.\n"; }
    std::string projectLine(const std::string& name, const std::string& directory) const {
        return "  " + name + " \"" + directory + "/.rilk_project.txt\"\n";
    }

    RilkTest::ProcessResult rilkWithHome(const std::vector<std::string>& args,
                                         const std::string& homeText) const {
        return RilkTest::runRilk(
            args, {.workingDirectory = work.path(), .environment = {{"HOME", homeText}}});
    }
};

TEST_F(Registry, IsCreatedEmptyOnTheFirstRun) {
    const auto result = rilk({"-p"});
    EXPECT_EQ(result.out, "dev\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(fs::is_regular_file(registryFile()));
    EXPECT_EQ(registryText(), "");
}

TEST_F(Registry, ALoadFailureIsReportedAndTheRunGoesOn) {
    const auto noHome = rilkWithHome({"-p"}, "");
    EXPECT_EQ(noHome.out, "Unable to load registry file: Unable to resolve HOME path.\ndev\n");
    EXPECT_EQ(noHome.exitCode, 0);

    home.write(".config/rilk/.rilk_registry.txt", "projects { lib \"/l\" \n");
    const auto broken = rilk({"-p"});
    EXPECT_EQ(broken.out, "Unable to load registry file: " + registryFile().string() +
                              "(2,0): '<EOF>' extraneous input '<EOF>' expecting {'}', "
                              "IDENTIFIER}\ndev\n");
    EXPECT_EQ(broken.exitCode, 0);

    fs::remove(registryFile());
    fs::create_directory(registryFile());
    const auto unreadable = rilk({"-p"});
    EXPECT_EQ(unreadable.out, "Registry file '" + registryFile().string() +
                                  "' cannot be read: it is a directory.\ndev\n");
    EXPECT_EQ(unreadable.exitCode, 0);

    fs::remove(registryFile());
    home.write(".config/rilk/.rilk_registry.txt", "// nothing yet\n");
    EXPECT_EQ(rilk({"-p"}).out, "dev\n");
}

TEST_F(Registry, RegisteringTwiceRewritesTheSameEntry) {
    auto result = rilk({"-r"});
    EXPECT_EQ(result.out, updated());
    EXPECT_EQ(result.exitCode, 0);
    const std::string text = "projects {\n" + projectLine("demo", dir()) + "}\n";
    EXPECT_EQ(registryText(), text);

    result = rilk({"-r"}, "core");
    EXPECT_EQ(result.out, "Project already registered\n" + updated());
    EXPECT_EQ(registryText(), text);
}

TEST_F(Registry, AMovedProjectReplacesItsPathUnderTheFirstSpelling) {
    home.write(".config/rilk/.rilk_registry.txt",
               "projects { Demo \"/old/.rilk_project.txt\" }\n"
               "tools { cc { tool_type = \"command\" !cmdline ^out = P\"(o)\" } }\n");
    EXPECT_EQ(rilk({"-r"}).exitCode, 0);
    EXPECT_EQ(registryText(), "projects {\n" + projectLine("Demo", dir()) +
                                  "}\n\ntools {\n  cc {\n    tool_type = \"command\"\n"
                                  "    !cmdline\n    ^out = P\"(" +
                                  registryFile().parent_path().string() + "/o)\"\n  }\n}\n");
}

TEST_F(Registry, RefusesToRegisterWhatItCannotKeep) {
    const std::string untouched = " The file was left untouched.";
    // No registry at all.
    auto result = rilkWithHome({"-r"}, "");
    EXPECT_EQ(result.out,
              "Unable to load registry file: Unable to resolve HOME path.\n"
              "Error: The project cannot be registered: there is no user registry (Unable to "
              "resolve HOME path.).\n");
    EXPECT_EQ(result.exitCode, 1);

    // A registry file that did not load stays as it is.
    const std::string broken = "projects { lib \"/l\" \n";
    home.write(".config/rilk/.rilk_registry.txt", broken);
    result = rilk({"-v", "7", "-r"});
    EXPECT_EQ(result.out, "Error: The registry file '" + registryFile().string() +
                              "' was left untouched: it could not be loaded (" +
                              registryFile().string() +
                              "(2,0): '<EOF>' extraneous input '<EOF>' expecting {'}', "
                              "IDENTIFIER}), and writing it now would drop its entries. Correct "
                              "or remove it, then try again.\n");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(registryText(), broken);

    // A project without a name.
    home.write(".config/rilk/.rilk_registry.txt", "");
    write({{".rilk_project.txt", "units { core { \"core/rilk.txt\" } }"}});
    result = rilk({"-r"});
    EXPECT_EQ(result.out, "Error: The project '" + dir() +
                              "/.rilk_project.txt' has no name, so it cannot be registered. Give "
                              "it one with a 'name' line in its project file.\n");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(registryText(), "");

    // No project.
    fs::remove(work.path() / ".rilk_project.txt");
    result = rilk({"-r"});
    EXPECT_EQ(result.out, "Error: project '' not found: no project file (.rilk_project.txt) was "
                          "found in '" + dir() + "' or any directory above it, so there is "
                          "nothing to register.\n");
    EXPECT_EQ(result.exitCode, 1);
}

TEST_F(Registry, ARelativeRegisteredPathIsTakenFromTheRegistryDirectory) {
    write(
        {{"lib/.rilk_project.txt", "name libname units { core { \"rilk.txt\" } }"},
         {"lib/rilk.txt", "unit core\nlibtarget: { }\n"},
         {".rilk_project.txt", "name demo import { lib; } units { core { \"core/rilk.txt\" } }"}});
    const fs::path relative =
        fs::relative(work.path() / "lib/.rilk_project.txt", registryFile().parent_path());
    home.write(".config/rilk/.rilk_registry.txt",
               "projects { lib \"" + relative.string() + "\" }\n");
    const auto result = rilk({"-v", "1", "-p", "libname/core::libtarget"});
    EXPECT_NE(result.out.find("Main target changed from demo/core::build to "
                              "libname/core::libtarget.\n"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(result.exitCode, 0);
}

TEST_F(Registry, RewritesKeepWhatAHandWrittenToolHolds) {
    // One tool a case, each written in the registry's own layout: a block as a value, which
    // the registry reads as no value, comes back as it was written; every other value as
    // the registry reads it.
    const std::string directory = registryFile().parent_path().string();
    struct Case {
        std::string written;
        std::string rewritten;
    };
    const std::vector<Case> cases = {
        {"CTXV = { y = 1 }", "CTXV = { y = 1 }"},
        {"LST = [\"a\", { z = 2 }]", "LST = [\"a\", { z = 2 }]"},
        {"MAPS = [{}, { a = { b = [1, { c = 2 }] } }]",
         "MAPS = [{}, { a = { b = [1, { c = 2 }] } }]"},
        {"if os = \"linux\" { COND = { y = 1 } }", "if os = \"linux\" { COND = { y = 1 } }"},
        {"!MARKED += [P\"(rel)\", { k = 1 }] // kept",
         "!MARKED += [P\"(rel)\", { k = 1 }] // kept"},
        {"NEST = [a, [b, [c]], []]", "NEST = [ a, b, c ]"},
        {"RAW = R\"(say \"hi\")\"", "RAW = R\"(say \"hi\")\""},
        {"TWO = \"two\nlines\"", "TWO = \"two\nlines\""},
        {"PTH = P\"(rel/x)\"", "PTH = P\"(" + directory + "/rel/x)\""},
        {"^RANGE ?= a.b[1:3][k]", "^RANGE ?= a.b[1:3][k]"},
        {"N = -3", "N = -3"},
        {"CLEARED", "CLEARED"},
    };
    const auto tool = [](std::size_t index, const std::string& body) {
        return "  t" + std::to_string(index) + " {\n    tool_type = \"command\"\n    " + body +
               "\n  }\n";
    };
    std::string written = "tools {\n";
    for (std::size_t i = 0; i < cases.size(); ++i) written += tool(i, cases[i].written);
    home.write(".config/rilk/.rilk_registry.txt", written + "}\n");

    for (const std::string option : {"-r", "--find-compilers"}) {
        const auto result = rilk({option});
        EXPECT_EQ(result.exitCode, 0) << option << ": " << result.out;
        const std::string text = registryText();
        for (std::size_t i = 0; i < cases.size(); ++i) {
            EXPECT_NE(text.find(tool(i, cases[i].rewritten)), std::string::npos)
                << option << " lost " << cases[i].written << " of t" << i << ":\n"
                << text;
        }
    }
}

TEST_F(Registry, RewritesSayWhichEntriesOfANameWrittenTwiceTheyDrop) {
    // A name written more than once, in any letter case, is one entry: the last one is in
    // use, and a rewrite keeps only that one, after saying so for each one it drops.
    const std::string written =
        "projects {\n"
        "  lib \"/a/.rilk_project.txt\"\n"
        "  LIB \"/b/.rilk_project.txt\"\n"
        "}\n"
        "tools {\n"
        "  cc { tool_type = \"command\" x = 1 }\n"
        "  other { tool_type = \"command\" }\n"
        "  cc { tool_type = \"command\" x = 2 }\n"
        "  CC { tool_type = \"command\" x = 3 }\n"
        "}\n";
    const auto dropped = [&](const std::string& kind, const std::string& name, int line) {
        return "The registry file '" + registryFile().string() + "' names " + kind + " '" + name +
               "' more than once; only the last entry is in use, and rewriting the file "
               "drops the one on line " +
               std::to_string(line) + ".\n";
    };
    const std::string warnings =
        dropped("project", "lib", 2) + dropped("tool", "cc", 6) + dropped("tool", "cc", 8);

    home.write(".config/rilk/.rilk_registry.txt", written);
    EXPECT_EQ(rilk({"-p"}).out, "dev\n") << "a run that does not rewrite the file says nothing";
    for (const std::string option : {"-r", "--find-compilers"}) {
        home.write(".config/rilk/.rilk_registry.txt", written);
        auto result = rilk({option});
        EXPECT_EQ(result.exitCode, 0) << option << ": " << result.out;
        EXPECT_NE(result.out.find(warnings + updated()), std::string::npos)
            << option << ": " << result.out;
        const std::string text = registryText();
        EXPECT_NE(text.find("  lib \"/b/.rilk_project.txt\"\n"), std::string::npos) << text;
        EXPECT_NE(text.find("  cc {\n    tool_type = \"command\"\n    x = 3\n  }\n"),
                  std::string::npos)
            << text;

        result = rilk({option});
        EXPECT_EQ(result.out.find("more than once"), std::string::npos)
            << option << " again: " << result.out;
    }
}

TEST_F(Registry, ASaveOnAFullDiskIsReportedAndLeavesTheOldRegistryWhole) {
    const std::string old = "projects {\n  other \"/o/.rilk_project.txt\"\n}\n";
    home.write(".config/rilk/.rilk_registry.txt", old);
    const auto result = rilkWithFileSizeLimit(old.size(), {"-r"});
    EXPECT_EQ(result.out, "Unable to write file '" + registryFile().string() +
                              "': File too large\nError: Unable to write registry file: " +
                              registryFile().string() + "\n");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(registryText(), old);
    for (const auto& entry : fs::directory_iterator(registryFile().parent_path())) {
        EXPECT_TRUE(entry.path() == registryFile() ||
                    entry.path().filename() == ".rilk_registry.txt.lock")
            << "no temporary file is left: " << entry.path();
    }
}

}  // namespace
