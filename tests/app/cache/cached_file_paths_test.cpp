// The file paths gathered while a cache file is read are those of every path value in the
// records' work items, wherever the comparison of a later build finds them, in file order.
#include "app/cache/cached_file_paths.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/cache/file/cache_file_records.h"

namespace Rilk {
namespace {

std::string sized(const std::string& text) {
    return std::to_string(text.size()) + "\n" + text + "\n";
}

std::string assignment(const std::string& text) { return "A 1 0\n" + sized(text); }

/// Three records of one work item each: inputs with and without intermediate, lists,
/// nested blocks, plain strings and a relative path; the outputs last.
std::string sampleFile() {
    std::string text = "RILK_CACHE_V5\n3\n";
    const char* inputs[] = {
        "SRC = P\"(/p/a.c)\"",
        "LIST = [ P\"(/p/x)\", \"/p/not\", [ P\"(rel.c)\" ] ]",
        "DEP = { a = P\"(/p/dep.o)\" b = \"/p/no\" }",
    };
    for (int i = 0; i < 3; ++i) {
        text += sized("u::t" + std::to_string(i)) + "1\n1\n" + assignment(inputs[i]);
        text += i == 0 ? "1\n" + assignment("OBJ = P\"(/p/a.o)\"") : "0\n";
        text += "1\n" + assignment("^out = P\"(/p/out" + std::to_string(i) + ")\"");
        text += "0\n";
    }
    return text;
}

TEST(CachedFilePaths, GatheredWhileReadingOnAnyNumberOfThreads) {
    const std::string bytes = sampleFile();
    const std::size_t start = std::string_view("RILK_CACHE_V5\n3\n").size();
    // As the file time prefetch holds them: each ended by a NUL byte, relative ones left out.
    const std::string expected =
        std::string("/p/a.c\0/p/a.o\0/p/out0\0/p/x\0/p/out1\0/p/dep.o\0/p/out2\0", 52);
    const struct {
        unsigned threads;
        std::size_t chunk;
    } splits[] = {{1, 64}, {3, 1}, {2, 2}};
    for (const auto& [threads, chunk] : splits) {
        const CacheFileRecords read =
            readCacheFileRecords(bytes, start, CacheFileVersion::V5, 3, threads, chunk, true);
        ASSERT_EQ(read.records.size(), 3u);
        EXPECT_FALSE(read.records[2].damaged);
        EXPECT_EQ(read.filePaths, expected) << threads << " threads, chunks of " << chunk;
    }
    // Not asked for, none are gathered.
    EXPECT_TRUE(
        readCacheFileRecords(bytes, start, CacheFileVersion::V5, 3, 1).filePaths.empty());
}

}  // namespace
}  // namespace Rilk
