#include "app/jobs/build_jobs.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include "app/jobs/build_interrupt.h"
#include "support/run_process.h"
#include "support/temp_dir.h"
#include "types/rilk_errors.h"
#include "types/types_test_support.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;
using RilkTest::assign;
using RilkTest::num;

/// Hands out the recipes given per job and records every call, optionally failing in one.
class ScriptedBuilder : public Builder {
public:
    ScriptedBuilder() : Builder({}, {}) {}

    void beginBuild(Context&, const std::size_t& count) override {
        calls += "begin(" + std::to_string(count) + ") ";
        if (failIn == "begin") throw RilkException("begin");
    }
    void endBuild() override { calls += "end "; }
    Context collectOutputs(const Context& job, int result) override {
        calls += "collect ";
        if (failIn == "collect") throw RilkException("collect");
        Context out;
        out.addAssignment(assign("OBJS", job.getVariable("id")), kKeepModifier);
        out.addAssignment(assign("result", num(result)), kKeepModifier);
        return out;
    }
    BuildPlan planBuild(const TargetContext&) override { return {}; }
    std::vector<Recipe> createRecipes(const Context& job) override {
        calls += "recipes ";
        if (failIn == "recipes") throw RilkException("recipes");
        return recipes.at(static_cast<std::size_t>(std::stoi(job.getVariable("id")->toString())));
    }

    std::vector<std::vector<Recipe>> recipes;
    std::string failIn;
    std::string calls;
};

Recipe sh(const std::string& command, const fs::path& directory = {},
          std::int32_t kind = Recipe::Run) {
    return Recipe{command, directory, kind, {}};
}

/// Job contexts numbered by their variable "id", from 0.
std::vector<ContextPtr> jobs(std::size_t count) {
    std::vector<ContextPtr> contexts;
    for (std::size_t i = 0; i < count; ++i) {
        auto job = std::make_shared<Context>();
        job->addAssignment(assign("id", num(static_cast<std::int32_t>(i))), kKeepModifier);
        contexts.push_back(job);
    }
    return contexts;
}

using RilkTest::readFile;

/// "ok", or the message of the error the call ended with; what it printed at verbosity
/// `level` goes to `printed` when given.
std::string run(ScriptedBuilder& builder, const std::vector<ContextPtr>& contexts, Context& output,
                const JobOutputFiles& files = {}, std::string* printed = nullptr, int level = 5) {
    std::string outcome = "ok";
    const std::string text = RilkTest::capture(level, [&] {
        try {
            runBuildJobs(builder, contexts, "unit::target", output, files);
        } catch (const RilkException& e) {
            outcome = e.message();
        }
    });
    if (printed != nullptr) *printed = text;
    return outcome;
}

TEST(BuildJobs, NoJobCallsNoBuilderOperation) {
    for (const auto& contexts : {std::vector<ContextPtr>{}, std::vector<ContextPtr>{nullptr}}) {
        ScriptedBuilder builder;
        Context output;
        const std::string printed =
            RilkTest::capture(1, [&] { runBuildJobs(builder, contexts, "unit::target", output); });
        EXPECT_EQ(builder.calls, "");
        EXPECT_EQ(printed, "");
        EXPECT_TRUE(output.assignments.empty());
    }
}

TEST(BuildJobs, RunsRecipesInOrderAndAppendsOutputsInJobOrder) {
    RilkTest::TempDir dir;
    fs::create_directory(dir.path() / "sub");
    ScriptedBuilder builder;
    builder.recipes = {
        {sh("echo a >> ../log", dir.path() / "sub"), sh("pwd >> ../log", dir.path() / "sub")},
        {},
        {sh("echo \"$PATH\" > path", dir.path())}};
    builder.recipes[2][0].pathDirectories = {"/first", "", "/second"};
    std::vector<ContextPtr> contexts = jobs(3);
    contexts.insert(contexts.begin() + 1, nullptr);  // skipped
    Context output;
    ASSERT_EQ(run(builder, contexts, output), "ok");
    EXPECT_EQ(builder.calls, "begin(3) recipes recipes recipes collect collect collect end ");
    EXPECT_EQ(readFile(dir.path() / "log"), "a\n" + (dir.path() / "sub").string() + "\n");
    EXPECT_EQ(readFile(dir.path() / "path"),
              "/first:/second:" + std::string(getenv("PATH")) + "\n");
    EXPECT_EQ(output.getVariable("OBJS")->toDisplayString(), "[ 0, 1, 2 ]");
    EXPECT_EQ(output.getVariable("result")->toDisplayString(), "[ 0, 0, 0 ]");
}

TEST(BuildJobs, EndBuildFollowsEveryPathOnceBeginBuildReturned) {
    struct Case {
        const char* failIn;
        Recipe recipe;
        const char* outcome;
        const char* calls;
    };
    const Case cases[] = {
        {"begin", sh("true"), "begin", "begin(1) "},
        {"recipes", sh("true"), "recipes", "begin(1) recipes end "},
        {"collect", sh("true"), "collect", "begin(1) recipes collect end "},
        {"", sh("exit 3"), "Build failed.", "begin(1) recipes end "},
        {"", sh("true", {}, Recipe::NotRun), "Build failed.", "begin(1) recipes end "},
    };
    for (const Case& c : cases) {
        ScriptedBuilder builder;
        builder.failIn = c.failIn;
        builder.recipes = {{c.recipe}};
        Context output;
        EXPECT_EQ(run(builder, jobs(1), output), c.outcome) << c.recipe.command;
        EXPECT_EQ(builder.calls, c.calls) << c.recipe.command;
        EXPECT_TRUE(output.assignments.empty());
    }
}

// Runs in a child process, whose standard output is a file: the lines must come in the
// order they were written, also those of the commands themselves.
TEST(BuildJobs, FailedJobStopsWhileOthersRunToTheirEnd) {
    RilkTest::TempDir dir;
    const RilkTest::ProcessResult result = RilkTest::runInChild([&] {
        ScriptedBuilder builder;
        builder.recipes = {
            {sh("echo first-runs"), sh("exit 3"), sh("touch never", dir.path())},
            {sh("sleep 0.2; echo second-done")},
            {sh("echo skipped-runs", {}, Recipe::NotRun), sh("touch never", dir.path())}};
        LogIndentGuard prefix("[unit::target] ");
        Context output;
        try {
            runBuildJobs(builder, jobs(3), "unit::target", output);
        } catch (const RilkException& e) {
            std::printf("%s|%s\n", e.message().c_str(), builder.calls.c_str());
        }
    });
    const std::string& out = result.out;
    const auto at = [&](const std::string& text) { return out.find(text); };
    EXPECT_LT(at("[unit::target] echo first-runs\n"), at("\nfirst-runs\n")) << out;
    EXPECT_NE(at("[unit::target] echo skipped-runs\n"), std::string::npos) << out;
    EXPECT_EQ(at("\nskipped-runs"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(dir.path() / "never"));
    // The first job in job order that failed tells how it ended.
    const std::size_t failure =
        at("[unit::target] Build of unit::target failed (command exit status 3). Exiting..\n");
    EXPECT_LT(at("\nsecond-done\n"), failure) << out;
    EXPECT_EQ(out.find("failed. Exiting", failure + 40), std::string::npos) << out;
    EXPECT_NE(at("Build failed.|begin(3) recipes recipes recipes end \n"), std::string::npos)
        << out;
}

TEST(BuildJobs, FailedJobLeavesNoneOfTheOutputsItWrote) {
    RilkTest::TempDir dir;
    const fs::path d = dir.path();
    dir.write("keep.o", "old");
    dir.write("old.o", "old");
    ScriptedBuilder builder;
    builder.recipes = {
        {sh("echo x >> old.o; echo y > new.o; mkdir made.d; touch unlisted.o", d), sh("exit 1")},
        {sh("echo good > good.o", d)}};
    Context output;
    EXPECT_EQ(run(builder, jobs(2), output,
                  {{d / "keep.o", d / "old.o", d / "new.o", d / "made.d", d / "absent.o"},
                   {d / "good.o"}}),
              "Build failed.");
    EXPECT_EQ(readFile(d / "keep.o"), "old");
    EXPECT_FALSE(fs::exists(d / "old.o"));
    EXPECT_FALSE(fs::exists(d / "new.o"));
    EXPECT_TRUE(fs::is_directory(d / "made.d"));
    EXPECT_TRUE(fs::exists(d / "unlisted.o"));
    EXPECT_EQ(readFile(d / "good.o"), "good\n") << "a job that succeeded keeps its outputs";
}

// Many jobs at once, some failing: every job's commands and their output reach the console
// whole, each failed job's files are removed and every other job's stay.
TEST(BuildJobs, ManyJobsWithFailuresKeepEveryJobsOutputApart) {
    constexpr std::size_t count = 24;
    for (const std::size_t failEvery : {0, 5}) {
        RilkTest::TempDir dir;
        const fs::path d = dir.path();
        ScriptedBuilder builder;
        JobOutputFiles files;
        std::string expectedObjs;
        for (std::size_t i = 0; i < count; ++i) {
            const std::string n = std::to_string(i);
            const bool fails = failEvery != 0 && i % failEvery == 3;
            builder.recipes.push_back({sh("echo out-" + n + " > " + n + ".o; echo said-" + n, d),
                                       sh(fails ? "exit 4" : "echo done-" + n)});
            files.push_back({d / (n + ".o")});
            expectedObjs += (i == 0 ? "" : ", ") + n;
        }
        Context output;
        std::string printed;
        const LogIndentGuard prefix("[unit::target] ");
        const std::string outcome = run(builder, jobs(count), output, files, &printed, 1);
        EXPECT_EQ(outcome, failEvery == 0 ? "ok" : "Build failed.");
        for (std::size_t i = 0; i < count; ++i) {
            const std::string n = std::to_string(i);
            const bool fails = failEvery != 0 && i % failEvery == 3;
            for (const std::string& line :
                 {"[unit::target] echo out-" + n + " > " + n + ".o; echo said-" + n + "\n",
                  "\nsaid-" + n + "\n",
                  fails ? "[unit::target] Removed '" + (d / (n + ".o")).string() +
                              "', left behind by a failed job.\n"
                        : "\ndone-" + n + "\n"}) {
                EXPECT_NE(printed.find(line), std::string::npos) << line << printed;
            }
            EXPECT_EQ(fs::exists(d / (n + ".o")), !fails) << n;
        }
        const std::size_t failure =
            printed.find("Build of unit::target failed (command exit status 4). Exiting..\n");
        EXPECT_EQ(failure == std::string::npos, failEvery == 0) << printed;
        if (failEvery == 0) {
            EXPECT_EQ(output.getVariable("OBJS")->toDisplayString(), "[ " + expectedObjs + " ]");
        }
    }
}

TEST(BuildJobs, JournalHoldsEveryJobsOutputsOnDiskBeforeAnyJobStarts) {
    RilkTest::TempDir dir;
    const fs::path d = dir.path();
    dir.write("a.o", "old");
    ScriptedBuilder builder;
    builder.recipes = {{sh("cp journal seen0; echo new > a.o", d)},
                       {sh("cp journal seen1; echo \"$RILK_RUN_TOKEN\" > token", d)}};
    RunJournal journal(d / "journal");
    Context output;
    ASSERT_EQ(RilkTest::capture(5, [&] {
                  runBuildJobs(builder, jobs(2), "unit::target", output,
                               {{d / "a.o"}, {d / "b.o", d / "c.o"}}, &journal);
              }).find("failed"),
              std::string::npos);
    for (const char* seen : {"seen0", "seen1"}) {
        const auto contents = RunJournal::parse(readFile(d / seen));
        ASSERT_TRUE(contents.has_value()) << seen;
        const auto* entries = &contents->entries;
        ASSERT_EQ(entries->size(), 3u);
        EXPECT_EQ((*entries)[0].file, d / "a.o");
        EXPECT_TRUE((*entries)[0].existed);
        EXPECT_EQ((*entries)[0].state.st_size, 3) << "the state before the job";
        EXPECT_EQ((*entries)[2].file, d / "c.o");
        EXPECT_FALSE((*entries)[2].existed);
    }
    // The run finishes it once the cache is saved; it names each command's process group,
    // and the token the commands carry.
    const auto contents = RunJournal::parse(readFile(d / "journal"));
    ASSERT_TRUE(contents.has_value());
    EXPECT_EQ(contents->groups.size(), 2U);
    EXPECT_EQ(readFile(d / "token"), journal.token() + "\n");
}

// A job's command sends the signal to the runner, as a terminal or a supervisor would. It
// waits at a FIFO until the last job's command has run and then until that command's shell
// is reaped, so that job finished, and its line was printed, before the signal, however the
// threads are scheduled.
TEST(BuildJobs, InterruptStopsCommandsRemovesPartialOutputsAndTellsWhatFinished) {
    for (const int signal : {SIGTERM, SIGINT}) {
        RilkTest::TempDir dir;
        const fs::path d = dir.path();
        dir.write("kept.o", "old");
        ASSERT_EQ(mkfifo((d / "gate").c_str(), 0600), 0);
        const std::string kill = "kill -" + std::to_string(signal) + " $PPID; ";
        const RilkTest::ProcessResult result = RilkTest::runInChild([&] {
            std::signal(signal, SIG_DFL);  // as started from a terminal, not ignoring it
            ScriptedBuilder builder;
            builder.recipes = {
                {sh("cat gate >/dev/null; while kill -0 $(cat last) 2>/dev/null; do sleep 0.01; "
                    "done; echo part > part.o; " + kill + "sleep 30; touch done0",
                    d)},
                {sh("sleep 30; touch done1", d), sh("touch done1", d)},
                {sh("echo whole > whole.o; echo $$ > last; echo go > gate", d)}};
            Context output;
            RunJournal journal(d / "journal");
            std::vector<bool> finished;
            try {
                runBuildJobs(builder, jobs(3), "unit::target", output,
                             {{d / "part.o"}, {d / "kept.o"}, {}}, &journal, &finished);
            } catch (const BuildInterrupted&) {
                // What finished can be recorded before the run ends by the signal.
                if (finished == std::vector<bool>{false, false, true}) {
                    std::ofstream(d / "finished") << "";
                }
                endInterruptedRun();
            }
            std::ofstream(d / "returned") << "";
        });
        EXPECT_EQ(result.exitCode, 128 + signal) << result.out;
        EXPECT_FALSE(fs::exists(d / "part.o"));
        EXPECT_EQ(readFile(d / "kept.o"), "old");
        EXPECT_TRUE(fs::exists(d / "finished"));
        EXPECT_TRUE(fs::exists(d / "journal")) << "finished by the run once its cache is saved";
        for (const char* never : {"done0", "done1", "returned"}) {
            EXPECT_FALSE(fs::exists(d / never)) << never;
        }
        EXPECT_EQ(result.out.find("failed"), std::string::npos) << result.out;
        EXPECT_NE(result.out.find("echo whole > whole.o; echo $$ > last; echo go > gate\n"),
                  std::string::npos)
            << "what was printed before is not lost:\n"
            << result.out;
    }
}

}  // namespace
}  // namespace Rilk
