#pragma once

// Runs the real rilk binary in a fresh working directory with its own home directory.

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/file_size_limit.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

/// A cache file's text with every file stamp line written "<stamp>" and every stamps time
/// line (the nanoseconds of a command's start, 19 digits) "<time>": they differ from build
/// to build, the rest of the file does not.
inline std::string withoutStamps(const std::string& cache) {
    static const std::regex stamp("^-?[0-9]+ [0-9]+ [0-9]+$", std::regex::multiline);
    static const std::regex time("^[0-9]{19}$", std::regex::multiline);
    return std::regex_replace(std::regex_replace(cache, stamp, "<stamp>"), time, "<time>");
}

class RilkRun : public testing::Test {
protected:
    /// Runs rilk in the working directory, or in `subdirectory` of it (created first).
    RilkTest::ProcessResult rilk(const std::vector<std::string>& args,
                                 const std::string& subdirectory = "") const {
        const std::filesystem::path where = work.path() / subdirectory;
        std::filesystem::create_directories(where);
        return RilkTest::runRilk(
            args, {.workingDirectory = where, .environment = userEnvironment(), .user = runAs});
    }

    /// Like `rilk`, but no file the run writes can grow past `bytes`, as on a full disk.
    RilkTest::ProcessResult rilkWithFileSizeLimit(std::uintmax_t bytes,
                                                  const std::vector<std::string>& args,
                                                  const std::string& subdirectory = "") const {
        const std::filesystem::path where = work.path() / subdirectory;
        std::filesystem::create_directories(where);
        return RilkTest::runRilkWithFileSizeLimit(
            bytes, args, {.workingDirectory = where, .environment = userEnvironment()});
    }

    /// Starts rilk with `args` in the working directory, its standard output and error to
    /// pipes, and SIGPIPE as a shell leaves it (its default action).
    RilkTest::PipedChild startPiped(const std::vector<std::string>& args) const {
        std::vector<std::string> argv{RILK_BINARY};
        argv.insert(argv.end(), args.begin(), args.end());
        const RilkTest::PreparedExec exec(
            argv, {.workingDirectory = work.path(), .environment = userEnvironment()});
        return RilkTest::forkWithPipes([&] {
            ::signal(SIGPIPE, SIG_DFL);
            exec.run();
        });
    }

    /// HOME in the test's own directory; XDG_CACHE_HOME empty, so that the user's cache
    /// directory lies below HOME too and a run never writes to the tester's own.
    std::map<std::string, std::string> userEnvironment() const {
        return {{"HOME", home.path().string()}, {"XDG_CACHE_HOME", ""}};
    }

    /// Writes each file (path relative to the working directory, content).
    void write(const std::map<std::string, std::string>& files) const {
        for (const auto& [path, content] : files) work.write(path, content);
    }

    /// The text of a file below the working directory; empty when it cannot be read.
    std::string contents(const std::string& relative) const {
        std::ifstream in(work.path() / relative);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    /// The working directory's path text, for expected messages.
    std::string dir() const { return work.path().string(); }

    RilkTest::TempDir home;
    RilkTest::TempDir work;
    /// The user id `rilk` runs as; -1 for the test's own.
    int runAs = -1;
};
