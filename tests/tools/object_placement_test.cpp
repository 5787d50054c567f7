#include "tools/object_placement.h"

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "types/rilk_errors.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<fs::path>;

/// The objects of `sources`, in order, below `directory`.
Paths objectsOf(const Paths& sources, const fs::path& directory) {
    ObjectPlacement placement(sources, ".o");
    Paths objects;
    for (const fs::path& source : sources)
        objects.push_back(placement.objectFor(source, directory));
    return objects;
}

TEST(ObjectPlacement, PlacesEverySourceOnItsOwnObject) {
    // Label, sources below /p and their objects below /out, each blank-separated.
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"unique names keep the plain object", "src/main.c lib/util.c", "main.o util.o"},
        {"same name in two directories", "src/a.c lib/a.c", "src/a.o lib/a.o"},
        {"only colliding sources move", "src/a.c src/b.c lib/a.c", "src/a.o b.o lib/a.o"},
        {"one source above the other", "a.c src/a.c", "a.o src/a.o"},
        {"deep directories keep what differs", "x/src/m/a.c x/lib/m/a.c", "src/m/a.o lib/m/a.o"},
        {"same stem in one directory", "src/a.c src/a.cpp", "a.c.o a.cpp.o"},
        {"one file named twice is one source", "src/a.c src/./a.c", "a.o a.o"},
        {"double extension", "a.tar.gz", "a.tar.o"},
        {"no extension", "src/README", "README.o"},
    };
    for (const auto& [label, sourceText, objectText] : cases) {
        Paths sources, expected;
        std::istringstream sourceWords(sourceText), objectWords(objectText);
        for (std::string word; sourceWords >> word;) sources.push_back("/p/" + word);
        for (std::string word; objectWords >> word;) expected.push_back("/out/" + word);
        EXPECT_EQ(objectsOf(sources, "/out"), expected) << label;
    }
}

TEST(ObjectPlacement, RelativeSourcesAndDirectoryAreTakenAgainstTheCurrentDirectory) {
    const fs::path cwd = fs::current_path();
    EXPECT_EQ(objectsOf({"x/a.c", "y/a.c", "z/b.c"}, "out"),
              (Paths{cwd / "out/x/a.o", cwd / "out/y/a.o", cwd / "out/b.o"}));
}

TEST(ObjectPlacement, RefusesTwoSourcesThatStillShareAnObjectAndCoversOnlyItsOwn) {
    // a.c and a.cpp fall back to a.c.o and a.cpp.o; a.c.x names a.c.o plainly.
    EXPECT_THROW(ObjectPlacement({"/p/a.c", "/p/a.cpp", "/p/a.c.x"}, ".o"), RilkException);
    ObjectPlacement placement({"/p/src/a.c"}, ".o");
    EXPECT_TRUE(placement.covers("/p/src/../src/./a.c"));
    EXPECT_FALSE(placement.covers("/p/lib/a.c"));
}

}  // namespace
}  // namespace Rilk
