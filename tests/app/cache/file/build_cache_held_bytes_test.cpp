// Records held as their bytes in the mapped cache file, when another process (none of the
// run's commands) cuts the file short or zeroes it in place once it is loaded, before the
// targets are planned.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/cache/cache_test_support.h"
#include "app/cache/file/build_cache.h"
#include "app/cache/planning/planning_through_cache.h"
#include "support/temp_dir.h"
#include "types/types_test_support.h"
#include "util/file_stamp.h"

namespace Rilk {
namespace {

using RilkTest::capture;
using RilkTest::path;

/// Keeps the first `kept` bytes of `file` and cuts it there, or zeroes the rest and dates it
/// back (a time of its own, so that the change shows however fast it came).
void changeInPlace(const std::filesystem::path& file, off_t kept, bool zero) {
    if (!zero) {
        if (static_cast<std::uintmax_t>(kept) < std::filesystem::file_size(file)) {
            std::filesystem::resize_file(file, static_cast<std::uintmax_t>(kept));
        }
        return;
    }
    const int fd = ::open(file.c_str(), O_WRONLY);
    const std::string zeros(std::filesystem::file_size(file) - static_cast<std::uintmax_t>(kept),
                            '\0');
    EXPECT_EQ(::pwrite(fd, zeros.data(), zeros.size(), kept), static_cast<ssize_t>(zeros.size()));
    const timespec dated[2] = {{0, UTIME_OMIT}, {946684800, 0}};
    EXPECT_EQ(::futimens(fd, dated), 0);
    ::close(fd);
}

// The planning never ends with SIGBUS: a record whose bytes a read found lost or changed is
// no record, and its target builds again, as does every target planned after the first
// lost page was met; the run says so once.
TEST(BuildCacheHeldBytes, BytesChangedBeforePlanningBuildAgainWithOneWarning) {
    const std::string warning = "was changed during the run, not by rilk";
    const off_t page = ::sysconf(_SC_PAGESIZE);
    RilkTest::TempDir dir;
    const auto src = dir.write("a.c", "a");
    const auto inter = dir.write("a.i", "i");
    const auto obj = dir.write("a.o", "o");
    WorkItem item = RilkTest::workItem({}, {path("OUT", obj, AssignModifier::Up)});
    item.inputs.emplace_back(path("SRC", src), path("OBJ", inter));
    // Records of 64 targets, each up to date, over several pages.
    RecordContents recorded;
    recorded.add(item);
    recorded.context = {RilkTest::text("PROFILE", "debug")};
    // Known since now: the files were written before.
    const std::int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    recorded.workItem(0).stamps = std::make_shared<const StampedFiles>(StampedFiles{
        now, {Util::stampOfFile(src.c_str()), Util::stampOfFile(inter.c_str()),
              Util::stampOfFile(obj.c_str())}});
    const auto file = dir.path() / ".rilk_cache";
    auto key = [](int i) { return "u::t" + std::string(i < 10 ? "0" : "") + std::to_string(i); };
    {
        BuildCache earlier(file);
        for (int i = 0; i < 64; ++i) earlier.upsert(key(i), recorded, 0);
        earlier.save();
    }
    const std::string bytes = RilkTest::readFile(file);
    ASSERT_GT(bytes.size(), 3 * static_cast<std::size_t>(page));

    const struct {
        const char* name;
        off_t kept;
        bool zeroed;
    } cases[] = {{"unchanged", static_cast<off_t>(bytes.size()), false},
                 {"emptied", 0, false},
                 {"shortened", page, false},
                 {"zeroed", page, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dir.write(".rilk_cache", bytes);
        BuildCache held(file);
        held.holdRecordsAsBytes(true);
        capture(9, [&] { held.load(); });
        changeInPlace(file, c.kept, c.zeroed);

        RilkTest::PlanBuilder builder;
        builder.plan.workItems = {item};
        builder.plan.context = recorded.context;
        std::string printed;
        for (int i = 0; i < 64; ++i) {
            auto target = RilkTest::targetContext("u", key(i).substr(3));
            bool built = false;
            printed += capture(
                6, [&] { built = planThroughCache(held, builder, *target, 1).claimToken != 0; });
            // Up to date while its record lies wholly in the bytes kept.
            const std::size_t end =
                i == 63 ? bytes.size() : bytes.find("\n" + key(i + 1) + "\n") - 1;
            EXPECT_EQ(built, end > static_cast<std::size_t>(c.kept)) << key(i);
        }
        // As after the commands of the targets built, then at the end of the run.
        printed += capture(6, [&] { held.checkFileAfterCommands(); });
        printed += capture(6, [&] { held.save(); });
        EXPECT_EQ(printed.find(warning) != std::string::npos, c.kept <= page) << printed;
        EXPECT_EQ(printed.find(warning), printed.rfind(warning)) << printed;
    }
}

}  // namespace
}  // namespace Rilk
