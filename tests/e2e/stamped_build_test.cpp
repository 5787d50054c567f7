// A work item is up to date only while every file its last build named has the stamp that
// build left: changes that "output newer than input" cannot see are built again.
#include <unistd.h>

#include <filesystem>
#include <future>

#include "e2e/c_project.h"
#include "support/wait_until.h"

namespace {

namespace fs = std::filesystem;

class StampedBuild : public CProjectRun {};

TEST_F(StampedBuild, ASourceRestoredWithItsOlderTimeIsBuiltAgain) {
    writeProject();
    ASSERT_EQ(rilk({}).exitCode, 0);
    fs::copy_file(work.path() / "a.c", work.path() / "a.c.saved");
    fs::last_write_time(work.path() / "a.c.saved", fs::last_write_time(work.path() / "a.c"));
    writeA("edited");
    ASSERT_EQ(rilk({}).exitCode, 0);
    ASSERT_EQ(programSays(), "edited\n");
    // As `cp -p` of a backup does: the older content with its older time.
    ASSERT_EQ(RilkTest::runProcess({"/bin/cp", "-p", (work.path() / "a.c.saved").string(),
                                    (work.path() / "a.c").string()})
                  .exitCode,
              0);
    ASSERT_EQ(rilk({}).exitCode, 0);
    EXPECT_EQ(programSays(), "normal\n");
}

TEST_F(StampedBuild, AnOutputChangedAfterTheBuildIsBuiltAgain) {
    writeProject();
    ASSERT_EQ(rilk({}).exitCode, 0);
    fs::path object;
    for (const auto& entry : fs::recursive_directory_iterator(work.path() / "out")) {
        if (entry.path().filename() == "a.o") object = entry.path();
    }
    ASSERT_FALSE(object.empty());
    ASSERT_EQ(::truncate(object.c_str(), 100), 0);
    const auto next = rilk({});
    ASSERT_EQ(next.exitCode, 0) << next.out << next.err;
    EXPECT_EQ(programSays(), "normal\n");
    const auto noOp = rilk({"-v", "1"});
    EXPECT_EQ(noOp.out.find("Cache claimed"), std::string::npos) << noOp.out;
}

TEST_F(StampedBuild, AHeaderRewrittenWhileItsCompileRunsIsBuiltAgain) {
    writeProject(writeSlowToolchain(120));
    write({{"h.h", "#define WHAT \"old header\"\n"},
           {"a.c", "#include \"h.h\"\nconst char* what(void) { return WHAT; }\n"}});
    ASSERT_EQ(rilk({}).exitCode, 0);
    write({{"a.c", "#include \"h.h\"\nconst char* what(void) { return \"[\" WHAT \"]\"; }\n"},
           {"slow", ""}});
    // The compile has read the header and its object is written; it ends once "go" exists.
    auto build = std::async(std::launch::async, [&] { return rilk({}); });
    const bool compiling = RilkTest::waitForFile(work.path() / "compiled");
    write({{"h.h", "#define WHAT \"new header\"\n"}});
    write({{"go", ""}});
    ASSERT_TRUE(compiling) << "the compile never started";
    ASSERT_EQ(build.get().exitCode, 0);
    EXPECT_EQ(programSays(), "[old header]\n");
    fs::remove(work.path() / "slow");
    ASSERT_EQ(rilk({}).exitCode, 0);
    EXPECT_EQ(programSays(), "[new header]\n");
}

// A header saved while its compile runs and then given an older or a future time (as
// `cp -p`, `tar`, `rsync -t` or `touch -d` give) is built again: its status changed after the
// compile started, whatever its time says.
TEST_F(StampedBuild, AHeaderRedatedWhileItsCompileRunsIsBuiltAgain) {
    const struct {
        const char* redate;
        const char* says;
    } cases[] = {
        {"cp -p saved.h h.h", "one\n"},
        {"printf '#define WHAT \"three\"\\n' > h.h && touch -d '+1 hour' h.h", "three\n"},
    };
    const std::string toolchain = writeGatedToolchain();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.redate);
        for (const char* file : {".rilk_cache", "compiled", "go", "slow"}) {
            fs::remove(work.path() / file);
        }
        fs::remove_all(work.path() / "out");
        writeProject(toolchain);
        write({{"h.h", "#define WHAT \"one\"\n"},
               {"a.c", "#include \"h.h\"\nconst char* what(void) { return WHAT; }\n"}});
        ASSERT_EQ(rilk({}).exitCode, 0);
        ASSERT_EQ(programSays(), "one\n");
        ASSERT_EQ(RilkTest::runProcess({"/bin/cp", "-p", (work.path() / "h.h").string(),
                                        (work.path() / "saved.h").string()})
                      .exitCode,
                  0);
        write({{"h.h", "#define WHAT \"two\"\n"}, {"slow", ""}});
        // The compile has read the header and written its object; it has not ended yet.
        auto build = std::async(std::launch::async, [&] { return rilk({}); });
        const bool compiling = await("compiled");
        const int redated =
            compiling ? RilkTest::runProcess({"/bin/sh", "-c", c.redate},
                                             {.workingDirectory = work.path(), .environment = {}})
                            .exitCode
                      : -1;
        write({{"go", ""}});
        ASSERT_TRUE(compiling);
        ASSERT_EQ(redated, 0);
        ASSERT_EQ(build.get().exitCode, 0);
        EXPECT_EQ(programSays(), "two\n");
        fs::remove(work.path() / "slow");
        ASSERT_EQ(rilk({}).exitCode, 0);
        EXPECT_EQ(programSays(), c.says);
    }
}

}  // namespace
