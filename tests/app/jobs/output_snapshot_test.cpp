#include "app/jobs/output_snapshot.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;

TEST(OutputSnapshot, RemovesOnlyRegularFilesCreatedOrChangedSinceTaken) {
    RilkTest::TempDir dir;
    const fs::path d = dir.path();
    for (const char* name : {"same", "rewritten", "retimed", "target"}) dir.write(name, "old");
    const OutputSnapshot snapshot(
        {d / "same", d / "rewritten", d / "retimed", d / "new", d / "link", d / "gone"});
    dir.write("rewritten", "new");
    dir.write("new", "new");
    fs::create_symlink(d / "target", d / "link");
    // Same size, modification time put back: only the change time tells.
    const fs::file_time_type written = fs::last_write_time(d / "retimed");
    dir.write("retimed", "new");
    fs::last_write_time(d / "retimed", written);

    const std::vector<fs::path> removed = snapshot.removeChanged();
    EXPECT_EQ(removed, (std::vector<fs::path>{d / "rewritten", d / "retimed", d / "new"}));
    EXPECT_TRUE(fs::exists(d / "same"));
    EXPECT_TRUE(fs::is_symlink(d / "link"));
    EXPECT_TRUE(fs::exists(d / "target"));
}

}  // namespace
}  // namespace Rilk
