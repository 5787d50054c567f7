#include "tools/object_placement.h"

#include <sstream>

#include <gtest/gtest.h>

#include "types/rilk_errors.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;

/// The objects of the blank-separated `sources` (taken below `base`), in order and written
/// relative to the absolute form of the object directory `out`.
std::string objectsOf(const std::string& sources, const fs::path& base = "/p",
                      const fs::path& out = "/out") {
    std::vector<fs::path> paths;
    std::istringstream words(sources);
    for (std::string word; words >> word;) paths.push_back(base / word);
    const ObjectPlacement placement(paths, ".o");
    std::string objects;
    for (const fs::path& path : paths) {
        objects += (objects.empty() ? "" : " ") +
                   placement.objectFor(path, out).lexically_relative(fs::absolute(out)).string();
    }
    return objects;
}

TEST(ObjectPlacement, PlacesEverySourceOnItsOwnObject) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"unique names keep the plain object", "src/main.c lib/util.c", "main.o util.o"},
        {"same name in two directories", "src/a.c lib/a.c", "src/a.o lib/a.o"},
        {"only colliding sources move", "src/a.c src/b.c lib/a.c", "src/a.o b.o lib/a.o"},
        {"one source above the other", "a.c src/a.c", "a.o src/a.o"},
        {"deep directories keep what differs", "x/src/m/a.c x/lib/m/a.c", "src/m/a.o lib/m/a.o"},
        {"same stem in one directory", "src/a.c src/a.cpp", "a.c.o a.cpp.o"},
        {"one file named twice is one source", "src/a.c src/./a.c", "a.o a.o"},
        {"doubled separators and .. name it too", "src//a.c lib/../src/a.c src/a.c", "a.o a.o a.o"},
        {"a name sorted apart from its path", "b-c/a.c b/c/a.c", "b-c/a.o b/c/a.o"},
        {"double extension", "a.tar.gz", "a.tar.o"},
        {"no extension", "src/README", "README.o"},
    };
    for (const auto& [label, sources, objects] : cases) {
        EXPECT_EQ(objectsOf(sources), objects) << label;
    }
    // Relative sources and object directory are taken against the current directory.
    EXPECT_EQ(objectsOf("x/a.c y/a.c z/b.c", "", "out"), "x/a.o y/a.o b.o");
}

TEST(ObjectPlacement, RefusesTwoSourcesThatStillShareAnObjectAndCoversOnlyItsOwn) {
    // a.c and a.cpp fall back to a.c.o and a.cpp.o; a.c.x names a.c.o plainly.
    EXPECT_THROW(ObjectPlacement({"/p/a.c", "/p/a.cpp", "/p/a.c.x"}, ".o"), RilkException);
    const ObjectPlacement placement({"/p/src/a.c"}, ".o");
    EXPECT_TRUE(placement.covers("/p/src/../src/./a.c"));
    EXPECT_FALSE(placement.covers("/p/lib/a.c"));
}

}  // namespace
}  // namespace Rilk
