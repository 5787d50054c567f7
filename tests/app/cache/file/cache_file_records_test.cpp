// Reading a cache file's records on several threads must give exactly what reading them one
// after the other gives, wherever the file is cut or damaged. Also run under ThreadSanitizer.
#include "app/cache/file/cache_file_records.h"

#include <fcntl.h>
#include <unistd.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/cache/file/cache_file_format.h"
#include "support/temp_dir.h"
#include "util/mapped_file.h"

namespace Rilk {
namespace {

std::string sized(const std::string& text) {
    return std::to_string(text.size()) + "\n" + text + "\n";
}

std::string assignmentRecord(const std::string& line, const std::string& text) {
    return line + "\n" + sized(text);
}

/// Twelve records of every shape: intermediates, outputs, context, unreadable texts, an
/// operator out of range, a work item given twice, a key given twice in another case.
std::string sampleFile() {
    const std::string input = assignmentRecord("A 1 0", "SRC = P\"(/p/a.c)\"");
    std::string text = "RILK_CACHE_V5\n12\n";
    for (int i = 0; i < 12; ++i) {
        text += sized(i == 7 ? "U::T0" : "u::t" + std::to_string(i));
        const int items = i % 3;
        text += std::to_string(items) + "\n";
        for (int item = 0; item < items; ++item) {
            text +=
                "2\n" + input + (i == 4 ? "0\n" : "1\n" + assignmentRecord("A 1 0", "OBJ = \"o\""));
            text += assignmentRecord(i == 5 ? "A 9 0" : "A 2 0", "FLAGS += [ \"-O\", 2 ]") + "0\n";
            text += "1\n" + assignmentRecord("A 1 1", "out = { a = 1 b }");
        }
        text += "2\n" + assignmentRecord("A 1 0", i == 9 ? "= broken" : "cwd = \"/p\"");
        text += assignmentRecord("A 4 0", "DECLARED");
    }
    return text;
}

/// A record as the tests compare it: key, flags and every assignment as written back.
std::string describe(std::string_view key, const RecordContents* contents, bool damaged,
                     const char* malformedPart) {
    // A malformed record ends the read; whether it was damaged before does not count.
    if (malformedPart != nullptr) return std::string(key) + " malformed " + malformedPart;
    std::string text = std::string(key) + (damaged ? " damaged" : "");
    for (const WorkItem& item : contents->workItems()) {
        text += " |";
        for (const WorkItemEntry& entry : item.inputs) {
            writeAssignmentRecord(text, entry.input);
            if (entry.hasIntermediate()) writeAssignmentRecord(text, entry.intermediate());
        }
        for (const Assignment& output : item.outputs) writeAssignmentRecord(text, output);
    }
    text += " |";
    for (const Assignment& a : contents->context) writeAssignmentRecord(text, a);
    return text;
}

/// The records read one after the other from `start`, and the offset after the last.
std::vector<std::string> readInOrder(std::string_view bytes, std::size_t start,
                                     CacheFileVersion version, std::uint64_t count,
                                     std::size_t& end) {
    std::vector<std::string> records;
    CacheInput in(bytes, start);
    for (std::uint64_t i = 0; i < count; ++i) {
        CacheRecordReader reader(in, version, true);
        std::string_view key;
        RecordContents contents;
        const bool whole = reader.read(key, contents);
        records.push_back(describe(key, &contents, reader.damaged, whole ? nullptr : reader.part));
        if (!whole) break;
    }
    end = in.position();
    return records;
}

/// How a read is split: threads and records per chunk.
using Split = std::pair<unsigned, std::size_t>;

void expectSameAsInOrder(std::string_view bytes, const std::string& what,
                         std::initializer_list<CacheFileVersion> versions,
                         std::initializer_list<Split> splits) {
    const std::size_t start = std::string_view("RILK_CACHE_V5\n12\n").size();
    for (CacheFileVersion version : versions) {
        std::size_t end = 0;
        const std::vector<std::string> expected = readInOrder(bytes, start, version, 12, end);
        for (const auto& [threads, chunk] : splits) {
            const CacheFileRecords read =
                readCacheFileRecords(bytes, start, version, 12, threads, chunk);
            std::vector<std::string> got;
            for (const CacheFileRecord& r : read.records) {
                got.push_back(describe(r.key, r.record ? &r.record->contents : nullptr, r.damaged,
                                       r.malformedPart));
            }
            ASSERT_EQ(got, expected) << what << ", " << threads << " threads, chunks of " << chunk;
            if (read.records.empty() || read.records.back().malformedPart == nullptr) {
                EXPECT_EQ(read.end, end)
                    << what << ", " << threads << " threads, chunks of " << chunk;
            }
        }
    }
}

#ifdef __SANITIZE_THREAD__
constexpr bool kThreadSanitizer = true;
#else
constexpr bool kThreadSanitizer = false;
#endif

void expectSameAsInOrder(std::string_view bytes, const std::string& what, bool threaded) {
    // One thread with one chunk and with chunks of one record, in every layout (ThreadSanitizer
    // has nothing to check there, and is slow); three threads (on fewer inputs: starting
    // threads is slow) with chunks of one record and of a few.
    if (!kThreadSanitizer) {
        expectSameAsInOrder(bytes, what,
                            {CacheFileVersion::V3, CacheFileVersion::V4, CacheFileVersion::V5},
                            {{1, 64}, {1, 1}});
    }
    if (threaded) expectSameAsInOrder(bytes, what, {CacheFileVersion::V5}, {{3, 1}, {3, 4}});
}

TEST(CacheFileRecords, ReadOnSeveralThreadsAsInOrderWhereverCutOrDamaged) {
    const std::string whole = sampleFile();
    std::size_t end = 0;
    const std::vector<std::string> records = readInOrder(whole, 17, CacheFileVersion::V5, 12, end);
    // The sample has what it claims: every record whole, two damaged, everything read.
    ASSERT_EQ(records.size(), 12u);
    ASSERT_EQ(end, whole.size());
    EXPECT_NE(records[5].find("damaged"), std::string::npos);
    EXPECT_NE(records[9].find("damaged"), std::string::npos);

    expectSameAsInOrder(whole, "whole",
                        {CacheFileVersion::V3, CacheFileVersion::V4, CacheFileVersion::V5},
                        {{1, 64}, {3, 1}, {3, 4}, {5, 2}});
    // No record: the read ends where the records would start.
    const CacheFileRecords none = readCacheFileRecords(whole, 17, CacheFileVersion::V5, 0, 3);
    EXPECT_TRUE(none.records.empty());
    EXPECT_EQ(none.end, 17u);
    for (std::size_t size = 17; size < whole.size(); ++size) {
        const bool threaded = size % 5 == 0;
        expectSameAsInOrder(std::string_view(whole).substr(0, size),
                            "cut at " + std::to_string(size), threaded);
        std::string changed = whole;
        changed[size] = changed[size] == '1' ? '3' : '1';
        expectSameAsInOrder(changed, "changed at " + std::to_string(size), threaded);
    }
}

// Another process cuts the mapped file short or zeroes it in place before the read: the
// read ends at the first record it reached, on every thread, never with SIGBUS, and the
// mapping tells whether pages were lost.
TEST(CacheFileRecords, AFileChangedUnderTheReadEndsWhereTheChangeBegins) {
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::string whole = "RILK_CACHE_V5\n300\n";
    for (int i = 0; i < 300; ++i) {
        whole += sized("u::t" + std::to_string(i)) + "0\n1\n" +
                 assignmentRecord("A 1 0", "cwd = \"/p" + std::string(60, 'x') + "\"");
    }
    ASSERT_GT(whole.size(), 4 * page);
    const struct {
        const char* name;
        std::size_t kept;
        bool zeroed;
    } cases[] = {{"emptied", 0, false}, {"shortened", page, false}, {"zeroed", page, true}};
    RilkTest::TempDir dir;
    for (const auto& c : cases) {
        for (const unsigned threads : {1u, 3u}) {
            SCOPED_TRACE(std::string(c.name) + ", threads " + std::to_string(threads));
            const auto file = dir.write("cache", whole);
            const auto mapped = Util::MappedFile::open(file);
            ASSERT_TRUE(mapped);
            if (c.zeroed) {
                const int fd = ::open(file.c_str(), O_WRONLY);
                const std::string zeros(whole.size() - c.kept, '\0');
                ASSERT_EQ(::pwrite(fd, zeros.data(), zeros.size(), static_cast<off_t>(c.kept)),
                          static_cast<ssize_t>(zeros.size()));
                ::close(fd);
            } else {
                ASSERT_EQ(::truncate(file.c_str(), static_cast<off_t>(c.kept)), 0);
            }
            const std::size_t start = std::string_view("RILK_CACHE_V5\n300\n").size();
            const CacheFileRecords read =
                readCacheFileRecords(mapped->bytes(), start, CacheFileVersion::V5, 300, threads, 4);
            // Every record wholly before the change, then the one it damaged.
            std::size_t before = 0;
            for (std::size_t at = start; (at = whole.find("\nu::t", at + 1)) < c.kept;) ++before;
            ASSERT_EQ(read.records.size(), c.kept == 0 ? 1 : before);
            EXPECT_NE(read.records.back().malformedPart, nullptr);
            EXPECT_EQ(mapped->pagesLost(), !c.zeroed);
        }
    }
}

}  // namespace
}  // namespace Rilk
