// rilk's own files changed by something else: a command that rewrites the cache file during
// the run, a lock file with another name, temporary files of runs killed outright, a run's
// record naming files by relative paths.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "e2e/rilk_run.h"

namespace {

using RilkTest::readFile;
namespace fs = std::filesystem;

class StateChangedUnderRun : public RilkRun {
protected:
    bool has(const std::string& text, const std::string& part) const {
        return text.find(part) != std::string::npos;
    }
};

TEST_F(StateChangedUnderRun, AKilledRunsRecordOfARelativePathIsSkippedWithAWarning) {
    write({{"rilk.txt", "unit u\nall: { cmdline = \"echo built\" }\n"}, {"keep.txt", "mine\n"}});
    struct stat folder {};
    ASSERT_EQ(::stat(work.path().c_str(), &folder), 0);
    write({{".rilk_journal", "rilk run journal 2\n0 0 0 0 0 0 " + std::to_string(folder.st_dev) +
                                 " " + std::to_string(folder.st_ino) + " 8 keep.txt\n"}});
    const auto run = rilk({});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(readFile(work.path() / "keep.txt"), "mine\n");
    EXPECT_TRUE(has(run.out,
                    "Left 'keep.txt' as it is: the record of the killed run names it "
                    "by a relative path; rilk records only absolute ones.\n"))
        << run.out;
}

}  // namespace
