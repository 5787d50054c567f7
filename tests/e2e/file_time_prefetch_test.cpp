// A cache large enough that the file times it names are read ahead: a file a job rewrites
// must be seen with its new time by the targets built after that job.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "e2e/rilk_run.h"

namespace {

class FileTimePrefetchRun : public RilkRun {
protected:
    /// Targets `a` (src/a.in to out/a.txt) and `b` (out/a.txt to out/b.txt, after `a`),
    /// noting their runs, beside enough copying targets for the cache to name well over a
    /// thousand files.
    void writeProject() const {
        std::string unit = "unit u\nall: a b";
        for (int i = 0; i < kFillers; ++i) unit += " f" + std::to_string(i);
        unit += " {\n    NO_TOOL = 1\n}\n";
        unit +=
            "a: {\n    in = P\"(src/a.in)\"\n    ^out = P\"(out/a.txt)\"\n"
            "    cmdline = [ \"cp ${in} ${out}\", \"echo a >> runs.txt\" ]\n}\n"
            "b: a {\n    in = P\"(out/a.txt)\"\n    ^out = P\"(out/b.txt)\"\n"
            "    cmdline = [ \"cp ${in} ${out}\", \"echo b >> runs.txt\" ]\n}\n";
        std::map<std::string, std::string> files = {{"src/a.in", "a"}, {"out/keep", ""}};
        for (int i = 0; i < kFillers; ++i) {
            const std::string n = std::to_string(i);
            unit += "f" + n + ": {\n    in = P\"(in/f" + n + ".txt)\"\n    ^out = P\"(out/f" + n +
                    ".txt)\"\n    cmdline = \"cp ${in} ${out}\"\n}\n";
            files["in/f" + n + ".txt"] = n;
        }
        files["rilk.txt"] = unit;
        write(files);
    }

    /// Dates `relative` `seconds` ago.
    void age(const std::string& relative, int seconds) const {
        std::filesystem::last_write_time(
            work.path() / relative,
            std::filesystem::file_time_type::clock::now() - std::chrono::seconds(seconds));
    }

    /// The targets noted since the last call, one letter each, in order.
    std::string ran() const {
        std::ifstream in(work.path() / "runs.txt");
        std::string text(std::istreambuf_iterator<char>(in), {});
        std::filesystem::remove(work.path() / "runs.txt");
        std::erase(text, '\n');
        return text;
    }

    static constexpr int kFillers = 600;
};

TEST_F(FileTimePrefetchRun, TargetsAfterAJobSeeTheFilesItWrote) {
    writeProject();
    // One run, which must succeed and run the jobs of exactly `targets`.
    const auto expectRun = [&](const char* targets) {
        const auto run = rilk({});
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        EXPECT_EQ(ran(), targets);
    };
    expectRun("ab");
    expectRun("");

    // Read ahead, out/a.txt is older than out/b.txt; once a's job has copied the changed
    // source, it is newer, and b must run too.
    age("out/a.txt", 300);
    age("out/b.txt", 200);
    age("src/a.in", 100);
    expectRun("ab");
    expectRun("");
    // A file read ahead that changed before the run is seen too, whichever way its time
    // moved: b's output given an older time.
    age("out/b.txt", 400);
    expectRun("b");
}

}  // namespace
