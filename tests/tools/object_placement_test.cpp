#include "tools/object_placement.h"

#include <cctype>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "types/rilk_errors.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;

struct ObjectPathCase {
    const char* label;
    std::vector<std::string> sources;  // below /p
    std::vector<std::string> objects;  // below /out
};

void PrintTo(const ObjectPathCase& c, std::ostream* os) { *os << c.label; }

/// The objects of `sources`, in order, below `directory`.
std::vector<fs::path> objectsOf(const std::vector<fs::path>& sources, const fs::path& directory) {
    ObjectPlacement placement(sources, ".o");
    std::vector<fs::path> objects;
    for (const fs::path& source : sources)
        objects.push_back(placement.objectFor(source, directory));
    return objects;
}

class ObjectPlacementTest : public ::testing::TestWithParam<ObjectPathCase> {};

TEST_P(ObjectPlacementTest, PlacesEverySourceOnItsOwnObject) {
    const ObjectPathCase& c = GetParam();
    std::vector<fs::path> sources;
    for (const std::string& source : c.sources) sources.push_back(fs::path("/p") / source);
    std::vector<fs::path> expected;
    for (const std::string& object : c.objects) expected.push_back(fs::path("/out") / object);
    EXPECT_EQ(objectsOf(sources, "/out"), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ObjectPlacementTest,
    ::testing::Values(
        ObjectPathCase{"unique names keep the plain object",
                       {"src/main.c", "lib/util.c"},
                       {"main.o", "util.o"}},
        ObjectPathCase{
            "same name in two directories", {"src/a.c", "lib/a.c"}, {"src/a.o", "lib/a.o"}},
        ObjectPathCase{"only colliding sources move",
                       {"src/a.c", "src/b.c", "lib/a.c"},
                       {"src/a.o", "b.o", "lib/a.o"}},
        ObjectPathCase{"one source above the other", {"a.c", "src/a.c"}, {"a.o", "src/a.o"}},
        ObjectPathCase{"deep directories keep what differs",
                       {"x/src/m/a.c", "x/lib/m/a.c"},
                       {"src/m/a.o", "lib/m/a.o"}},
        ObjectPathCase{
            "same stem in one directory", {"src/a.c", "src/a.cpp"}, {"a.c.o", "a.cpp.o"}},
        ObjectPathCase{
            "one file named twice is one source", {"src/a.c", "src/./a.c"}, {"a.o", "a.o"}},
        ObjectPathCase{"double extension", {"a.tar.gz"}, {"a.tar.o"}},
        ObjectPathCase{"no extension", {"src/README"}, {"README.o"}}),
    [](const auto& info) {
        std::string name = info.param.label;
        for (char& ch : name) {
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        }
        return name;
    });

TEST(ObjectPlacement, RelativeSourcesAndDirectoryAreTakenAgainstTheCurrentDirectory) {
    const fs::path cwd = fs::current_path();
    EXPECT_EQ(objectsOf({"x/a.c", "y/a.c", "z/b.c"}, "out"),
              (std::vector<fs::path>{cwd / "out/x/a.o", cwd / "out/y/a.o", cwd / "out/b.o"}));
}

TEST(ObjectPlacement, RefusesTwoSourcesThatStillShareAnObject) {
    // a.c and a.cpp fall back to a.c.o and a.cpp.o; a.c.x names a.c.o plainly.
    EXPECT_THROW(ObjectPlacement({"/p/a.c", "/p/a.cpp", "/p/a.c.x"}, ".o"), RilkException);
}

TEST(ObjectPlacement, CoversOnlyItsOwnSourcesWhateverTheirSpelling) {
    ObjectPlacement placement({"/p/src/a.c"}, ".o");
    EXPECT_TRUE(placement.covers("/p/src/../src/./a.c"));
    EXPECT_FALSE(placement.covers("/p/lib/a.c"));
}

}  // namespace
}  // namespace Rilk
