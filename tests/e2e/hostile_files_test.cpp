// Files that are no regular files, or never end, wherever rilk reads one: a clear error
// naming the file (or, for the files it keeps for itself, a notice and a fresh start),
// never a hang or an exhausted memory.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "e2e/rilk_run.h"
#include "support/watched_run.h"

namespace {

namespace fs = std::filesystem;

class HostileFiles : public RilkRun {
protected:
    /// rilk under a watch that kills a run reading without end or waiting for ever.
    RilkTest::WatchedResult watched(const std::vector<std::string>& args) const {
        return RilkTest::runRilkWatched(
            {.maxResidentBytes = std::uintmax_t{1} << 30}, args,
            {.workingDirectory = work.path(), .environment = userEnvironment()});
    }

    /// Puts a FIFO, a link to a device or a sparse file of `size` bytes at `relative`.
    void plant(const std::string& relative, const std::string& kind) const {
        const fs::path file = work.path() / relative;
        fs::create_directories(file.parent_path());
        fs::remove(file);
        if (kind == "fifo") {
            ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
        } else if (kind.starts_with("/dev/")) {
            fs::create_symlink(kind, file);
        } else {
            std::ofstream(file).close();
            fs::resize_file(file, std::stoull(kind));
        }
    }
};

TEST_F(HostileFiles, ProjectAndUnitFilesThatAreNoRegularFilesOrTooLargeAreNamedErrors) {
    struct Case {
        std::string file;  ///< what is planted
        std::string kind;
        std::vector<std::string> args;
        std::string named;  ///< the file the error names, relative to the working directory
        std::string reason;
    };
    const std::string project = "name p units { u { \"u.txt\" } }";
    const std::string noRegular = "it is not a regular file";
    const Case cases[] = {
        {"rilk.txt", "/dev/zero", {}, "rilk.txt", noRegular},
        {"rilk.txt", "/dev/urandom", {}, "rilk.txt", noRegular},
        {"rilk.txt", "fifo", {}, "rilk.txt", noRegular},
        {"rilk.txt", "268435457", {}, "rilk.txt", "it is larger than the limit of 256 MiB"},
        {"other.txt", "fifo", {"-f", "other.txt"}, "other.txt", noRegular},
        {".rilk_project.txt", "/dev/zero", {}, ".rilk_project.txt", noRegular},
        {".rilk_project.txt", "fifo", {}, ".rilk_project.txt", noRegular},
        {"u.txt", "/dev/zero", {}, "u.txt", noRegular},
        {"u.txt", "fifo", {}, "u.txt", noRegular},
    };
    for (const Case& c : cases) {
        fs::remove_all(work.path());
        fs::create_directories(work.path());
        if (c.file == "u.txt") write({{".rilk_project.txt", project}});
        plant(c.file, c.kind);
        const auto result = watched(c.args);
        EXPECT_EQ(result.killedFor, "") << c.file << " " << c.kind;
        EXPECT_EQ(result.out, "Error: Cannot read '" + dir() + "/" + c.named + "': " + c.reason +
                                  ".\n")
            << c.file << " " << c.kind;
        EXPECT_EQ(result.exitCode, 1) << c.file << " " << c.kind;
    }
}

TEST_F(HostileFiles, FileModeNamesTheDeviceItWasGiven) {
    const auto result = watched({"-f", "/dev/zero"});
    EXPECT_EQ(result.killedFor, "");
    EXPECT_EQ(result.out, "Error: Cannot read '/dev/zero': it is not a regular file.\n");
    EXPECT_EQ(result.exitCode, 1);
}

TEST_F(HostileFiles, ARegistryThatIsNoRegularFileIsNamedAndTheRunGoesOn) {
    write({{"rilk.txt", "unit u\nall: { NO_TOOL = 1 }\n"}});
    const fs::path registry = home.path() / ".config/rilk/.rilk_registry.txt";
    fs::create_directories(registry.parent_path());
    for (const std::string kind : {"fifo", "/dev/zero"}) {
        fs::remove(registry);
        if (kind == "fifo") {
            ASSERT_EQ(mkfifo(registry.c_str(), 0600), 0);
        } else {
            fs::create_symlink(kind, registry);
        }
        const auto result = watched({"-v", "6"});
        EXPECT_EQ(result.killedFor, "") << kind;
        EXPECT_EQ(result.out, "Cannot read '" + registry.string() + "': it is not a regular file.\n")
            << kind;
        EXPECT_EQ(result.exitCode, 0) << kind;
    }
}

TEST_F(HostileFiles, ACacheThatIsNoRegularFileIsNoticedAndReplacedByARegularOne) {
    write({{"rilk.txt", "unit u\nall: { NO_TOOL = 1 }\n"}});
    for (const std::string kind : {"fifo", "/dev/zero"}) {
        plant(".rilk_cache", kind);
        const auto result = watched({"-v", "6"});
        EXPECT_EQ(result.killedFor, "") << kind;
        EXPECT_EQ(result.out, "Cache file '" + dir() +
                                  "/.rilk_cache' cannot be read: it is not a regular file. "
                                  "Starting with empty cache.\n")
            << kind;
        EXPECT_EQ(result.exitCode, 0) << kind;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(work.path() / ".rilk_cache"))) << kind;
        // The next run reads the cache it saved.
        EXPECT_EQ(watched({"-v", "6"}).out, "") << kind;
    }
}

}  // namespace
