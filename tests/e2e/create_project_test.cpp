#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "e2e/rilk_run.h"
#include "support/watched_run.h"

namespace fs = std::filesystem;

namespace {

using CreateProject = RilkRun;

std::string read(const fs::path& file) {
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(CreateProject, WritesTheUnitsFoundBelowTheRootAndLoadsBack) {
    write({{"demo/src/rilk.txt", "unit core\nbuild: { }\n"},
           {"demo/lib/RILK.TXT", "unit Beta\nlib: { }\n"},
           {"demo/doc/rilk.txt", "// notes\nunit late\n"}});
    const auto result = rilk({"--create-project", "--find-compilers"}, "demo");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(read(work.path() / "demo/.rilk_project.txt"),
              "name demo\nunits\n{\nBeta\n{\n  \"lib/RILK.TXT\"\n}\n"
              "core\n{\n  \"src/rilk.txt\"\n}\n}\n");
    EXPECT_EQ(rilk({"-u"}, "demo/src").out, "Beta\ncore\n");
}

TEST_F(CreateProject, InASubdirectoryWritesThereAndSearchesFromTheRoot) {
    write({{".rilk_project.txt", "units { a { \"a/rilk.txt\" } }"},
           {"a/rilk.txt", "unit a\n"},
           {"sub/b/rilk.txt", "unit b\n"}});
    EXPECT_EQ(rilk({"--create-project"}, "sub").exitCode, 0);
    EXPECT_EQ(read(work.path() / "sub/.rilk_project.txt"),
              "name sub\nunits\n{\na\n{\n  \"../a/rilk.txt\"\n}\nb\n{\n  \"b/rilk.txt\"\n}\n}\n");
    EXPECT_EQ(read(work.path() / ".rilk_project.txt"), "units { a { \"a/rilk.txt\" } }");
}

TEST_F(CreateProject, WithoutUnitFilesWritesTheSkeleton) {
    EXPECT_EQ(rilk({"--create-project"}, "empty").exitCode, 0);
    EXPECT_EQ(read(work.path() / "empty/.rilk_project.txt"), "name empty\nunits\n{\n}\n");
}

TEST_F(CreateProject, RefusesWhatCouldNotBeLoadedBackAndWritesNothing) {
    const std::string refusal = "Error: Cannot create the project file: ";
    const std::string notAName =
        "a name starts with a letter or '_' and holds only letters, digits, '_' and '-'";
    struct Case {
        std::string directory;
        std::string unitFile;
        std::string out;
    };
    const Case cases[] = {
        {"my app", "",
         refusal + "the project name 'my app' is not a valid name: " + notAName +
             ". Run it in a directory whose name is a valid name.\n"},
        {"units", "",
         refusal + "the project name 'units' is not a valid name: it is a keyword "
                   "of the language. Run it in a directory whose name is a valid name.\n"},
        {"brace", "unit core{\n",
         refusal + "the unit name 'core{' declared in 'x/rilk.txt' is not a valid name: " +
             notAName + ".\n"},
    };
    for (const Case& c : cases) {
        if (!c.unitFile.empty()) write({{c.directory + "/x/rilk.txt", c.unitFile}});
        const auto result = rilk({"--create-project"}, c.directory);
        EXPECT_EQ(result.out, c.out) << c.directory;
        EXPECT_EQ(result.exitCode, 1) << c.directory;
        EXPECT_FALSE(fs::exists(work.path() / c.directory / ".rilk_project.txt")) << c.directory;
    }

    write({{"quote/a\"b/rilk.txt", "unit core\n"}});
    EXPECT_EQ(rilk({"--create-project"}, "quote").out,
              refusal +
                  "the path 'a\"b/rilk.txt' holds a double quote, which a project file "
                  "cannot hold.\n");
}

TEST_F(CreateProject, RefusesToReplaceAnythingAtTheProjectFilesPlaceAndWritesNothing) {
    const fs::path file = work.path() / "app/.rilk_project.txt";
    write({{"app/src/rilk.txt", "unit core\n"}});
    for (const std::string kind : {"file", "directory", "dangling link"}) {
        if (kind == "file") {
            write({{"app/.rilk_project.txt", "name app // written by hand\n"}});
        } else if (kind == "directory") {
            fs::create_directories(file);
        } else {
            fs::create_symlink("nowhere", file);
        }
        const auto result = rilk({"--create-project"}, "app");
        EXPECT_EQ(result.out, "Error: Cannot create the project file: '" + file.string() +
                                  "' exists already. Remove it first to create a new one.\n")
            << kind;
        EXPECT_EQ(result.exitCode, 1) << kind;
        if (kind == "file") {
            EXPECT_EQ(read(file), "name app // written by hand\n");
        }
        for (const auto& entry : fs::directory_iterator(work.path() / "app")) {
            EXPECT_TRUE(entry.path() == file || entry.path().filename() == "src")
                << "left behind: " << entry.path();
        }
        fs::remove_all(file);
    }
}

TEST_F(CreateProject, OnAFullDiskReportsTheFailureAndLeavesNoFile) {
    // Forty units make a template of more than a kilobyte, far past the limit.
    for (int i = 0; i < 40; ++i) {
        write({{"app/u" + std::to_string(i) + "/rilk.txt", "unit u" + std::to_string(i) + "\n"}});
    }
    const fs::path file = work.path() / "app/.rilk_project.txt";
    {
        const auto result = rilkWithFileSizeLimit(256, {"--create-project"}, "app");
        EXPECT_EQ(result.out,
                  "Error: Unable to write file '" + file.string() + "': File too large\n");
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_FALSE(fs::exists(file));
        for (const auto& entry : fs::directory_iterator(work.path() / "app")) {
            EXPECT_TRUE(entry.is_directory()) << "left behind: " << entry.path();
        }
    }
    EXPECT_EQ(rilkWithFileSizeLimit(4096, {"--create-project"}, "app").exitCode, 0);
    EXPECT_NE(read(file).find("u39\n{\n  \"u39/rilk.txt\"\n}\n"), std::string::npos);
}

TEST_F(CreateProject, ReadsOnlyTheStartOfAFoundUnitFile) {
    write({{"app/big/rilk.txt", "unit big "}});
    // A gigabyte without a line end, sparse: it costs the disk nothing.
    fs::resize_file(work.path() / "app/big/rilk.txt", std::uintmax_t{1} << 30);
    // Far below the file's size; a sanitizer build's program alone takes more than a hundred
    // megabytes to start.
#if defined(__SANITIZE_ADDRESS__)
    constexpr std::uintmax_t kBoundMiB = 400;
#else
    constexpr std::uintmax_t kBoundMiB = 200;
#endif
    const RilkTest::WatchedResult result = RilkTest::runRilkWatched(
        {.maxResidentBytes = kBoundMiB << 20}, {"--create-project"},
        {.workingDirectory = work.path() / "app", .environment = userEnvironment()});
    EXPECT_EQ(result.killedFor, "");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(read(work.path() / "app/.rilk_project.txt"),
              "name app\nunits\n{\nbig\n{\n  \"big/rilk.txt\"\n}\n}\n");
}

TEST_F(CreateProject, OfRunsAtOnceOneWritesTheFileAndTheOthersRefuse) {
    // Enough directories that every run is still searching when the others start.
    for (int i = 0; i < 300; ++i) {
        write({{"app/u" + std::to_string(i) + "/rilk.txt", "unit u" + std::to_string(i) + "\n"}});
    }
    const fs::path file = work.path() / "app/.rilk_project.txt";
    const std::string script =
        "for i in 1 2 3 4; do \"$0\" --create-project > out$i 2>&1 & done; wait; "
        "for i in 1 2 3 4; do cat out$i; rm out$i; done";
    const auto result = RilkTest::runProcess(
        {"/bin/sh", "-c", script, RILK_BINARY},
        {.workingDirectory = work.path() / "app", .environment = userEnvironment()});
    const std::string refusal = "Error: Cannot create the project file: '" + file.string() +
                                "' exists already. Remove it first to create a new one.\n";
    EXPECT_EQ(result.out, refusal + refusal + refusal);
    EXPECT_NE(read(file).find("u299\n{\n  \"u299/rilk.txt\"\n}\n"), std::string::npos);
    for (const auto& entry : fs::directory_iterator(work.path() / "app")) {
        EXPECT_TRUE(entry.path() == file || entry.is_directory())
            << "left behind: " << entry.path();
    }
}

}  // namespace
