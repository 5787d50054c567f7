#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "e2e/rilk_run.h"

namespace {

using ProjectLoading = RilkRun;

const std::map<std::string, std::string> kProject = {
    {".rilk_project.txt", "name demo units { core { \"core/rilk.txt\" } }"},
    {"core/rilk.txt", "unit core\nbuild: { }\n"},
};

TEST_F(ProjectLoading, FindsTheRootUpwardInASubdirectory) {
    write(kProject);
    const auto result = rilk({"-v", "1", "-l", "1"}, "core/deep");
    EXPECT_EQ(result.out, "Found a project file at " + dir() + "\nSetting project root to " +
                              dir() + "\nLoading project file " + dir() +
                              "/.rilk_project.txt\nParsing " + dir() +
                              "/core/rilk.txt\nParsed unit 'core' at '" + dir() +
                              "/core/rilk.txt'\nLoaded unit 'core' from 1 file(s)\nbuild\n");
    EXPECT_EQ(result.exitCode, 0);
}

TEST_F(ProjectLoading, WithoutAProjectLoadsTheUnitFileAsUnitOne) {
    write({{"rilk.txt", "b: { }\na: { }\n"}});
    const auto result = rilk({"-v", "1", "-l", "1"});
    EXPECT_EQ(result.out, "No project file.\nSetting project root to " + dir() + "\nParsing " +
                              dir() + "/rilk.txt\nParsed unit '' at '" + dir() +
                              "/rilk.txt'\nLoaded unit '1'\na\nb\n");
    EXPECT_EQ(result.exitCode, 0);

    write({{"rilk.txt", "unit app\nb: { }\n"}});
    EXPECT_EQ(rilk({"-l", "APP"}).out, "b\n");
    EXPECT_EQ(rilk({"-l", "1"}).out, "b\n");
}

TEST_F(ProjectLoading, FileAndCommandLineModesReadNoProjectFile) {
    write({{".rilk_project.txt", "not a project"}, {"other/rilk.txt", "unit x\nt: { }\n"}});
    auto result = rilk({"-v", "1", "-f", "other/rilk.txt", "-l", "x"});
    EXPECT_EQ(result.out, "Setting project root to " + dir() + "/other\nParsing " + dir() +
                              "/other/rilk.txt\nParsed unit 'x' at '" + dir() +
                              "/other/rilk.txt'\nLoaded unit 'x'\nt\n");
    EXPECT_EQ(result.exitCode, 0);

    result = rilk({"-c", "-v", "1", "-u"});
    EXPECT_EQ(result.out,
              "Setting project root to \nNo file to list. You need .rilk_project.txt.\n");
    EXPECT_EQ(result.exitCode, 255);
}

TEST_F(ProjectLoading, ReportsEveryLoadingFault) {
    struct Case {
        std::map<std::string, std::string> files;
        std::string out;
        std::string err = "";
    };
    const std::string d = dir();
    const std::string core = "name demo units { core { \"a.txt\" \"b.txt\" } }";
    const Case cases[] = {
        {{{".rilk_project.txt/x", ""}},
         "Error: Project file '" + d + "/.rilk_project.txt' cannot be read: it is a directory.\n"},
        {{{".rilk_project.txt", "name demo units { core { \"a.txt\" }"}},
         "Error: " + d +
             "/.rilk_project.txt(1,34): '<EOF>' extraneous input '<EOF>' expecting {'}', "
             "IDENTIFIER}\n"},
        {{{".rilk_project.txt", "name demo profiles { debug { !a = 1 } }"}},
         "Error: " + d +
             "/.rilk_project.txt(1,29): '!' assignment modifier is not allowed in this context.\n"},
        {{{".rilk_project.txt", "name demo"}}, "Error: Project 'demo' does not list any units.\n"},
        {{{".rilk_project.txt", "units { core { } }"}},
         "Error: Project unit 'core' does not list any rilk files.\n"},
        {{{".rilk_project.txt", "units { core { \"a{b}%.txt\" } }"}},
         "Error: File not found at " + d + "/a{b}%.txt\n"},
        {{{".rilk_project.txt", core}, {"a.txt", "unit core\nx: { y = }\n"}},
         "Error: " + d + "/a.txt Parsing failed due to syntax errors.\n",
         "line 2:9 mismatched input '}' expecting {'{', STRING, RAW_STRING, PATH_STRING, NUMBER, "
         "'[', IDENTIFIER}\n"},
        {{{".rilk_project.txt", core}, {"a.txt", "unit core\nx: { } ~\n"}},
         "Error: " + d + "/a.txt Parsing failed due to syntax errors.\n",
         "line 2:7 token recognition error at: '~'\n"},
        {{{".rilk_project.txt", core}, {"a.txt", "unit core\nx: { }\nX: { }\n"}},
         "Error: Key already exists: x: the unit file '" + d +
             "/a.txt' defines target 'x' twice.\n"},
        {{{".rilk_project.txt", core}, {"a.txt", "unit core\n"}, {"b.txt", "unit gui\n"}},
         "Error: Unit file '" + d +
             "/b.txt' declares unit 'gui', but project entry expects unit 'core'.\n"},
        {{{".rilk_project.txt", core}, {"a.txt", "x: { }\n"}},
         "Error: Unit file '" + d +
             "/a.txt' declares unit '', but project entry expects unit 'core'.\n"},
        {{{".rilk_project.txt", core},
          {"a.txt", "unit core\nx: { }\n"},
          {"b.txt", "unit Core\nX: { }\n"}},
         "Error: Unable to merge unit 'core' from file '" + d + "/b.txt': Key already exists: x\n"},
        {{{".rilk_project.txt", core}, {"a.txt/x", ""}},
         "Error: Unable to open file! The unit file '" + d +
             "/a.txt' cannot be read: it is a directory.\n"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(work.path());
        std::filesystem::create_directories(work.path());
        write(c.files);
        const auto result = rilk({"-l", "1"});
        EXPECT_EQ(result.out, c.out) << c.files.begin()->second;
        EXPECT_EQ(result.err, c.err) << c.files.begin()->second;
        EXPECT_EQ(result.exitCode, 1) << c.files.begin()->second;
    }
}

TEST_F(ProjectLoading, LogsPathsWithFormatCharactersVerbatim) {
    const std::string odd = "we{ir}d%\"x";
    write({{odd + "/rilk.txt", "unit {x\n"}});
    const auto result = rilk({"-v", "1", "-l", "1"}, odd);
    EXPECT_EQ(result.out, "No project file.\nSetting project root to " + dir() + "/" + odd +
                              "\nParsing " + dir() + "/" + odd + "/rilk.txt\nError: " + dir() +
                              "/" + odd + "/rilk.txt Parsing failed due to syntax errors.\n");
    EXPECT_EQ(result.exitCode, 1);
}

}  // namespace
