// What the source writer writes reads back as what it was given, in each form, over the
// inputs kept for the fuzz targets: tool definitions and unit targets in template form, read
// back by the registry reader (its exact equality); resolved target variables and build
// cache records in resolved form, read back by the cache's reader and as command-line items
// (the cache's equality).
#include "parser/source_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "../../fuzz/resolve_entry.h"
#include "app/cache/cache_equality.h"
#include "app/cache/cache_test_support.h"
#include "app/cache/file/cache_assignment_reader.h"
#include "app/cache/file/cache_file_format.h"
#include "app/registry/registry_reader.h"
#include "support/temp_dir.h"
#include "types/exact_equality.h"

namespace Rilk {
namespace {

const std::filesystem::path kFuzz = std::filesystem::path(RILK_SOURCE_DIR) / "fuzz";
const std::filesystem::path kRegistryFile = "/fuzz/.rilk_registry.txt";

/// The bytes of every file kept in the named folders below fuzz/.
std::vector<std::string> keptInputs(std::initializer_list<const char*> folders) {
    std::vector<std::string> inputs;
    for (const char* folder : folders) {
        if (!std::filesystem::is_directory(kFuzz / folder)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(kFuzz / folder)) {
            std::ostringstream text;
            text << std::ifstream(entry.path(), std::ios::binary).rdbuf();
            inputs.push_back(text.str());
        }
    }
    return inputs;
}

/// Counts of what a round trip did.
struct Tally {
    int written = 0;
    int refused = 0;
};

/// Writes `block` as a registry tool in template form and reads it back.
void templateRoundTrip(const std::shared_ptr<ContextTemplate>& block, Tally& tally) {
    SourceWriter writer(SourceForm::Template);
    std::string lines;
    if (!writer.blockLines(lines, *block, 4)) {
        EXPECT_FALSE(writer.refusal().reason.empty());
        ++tally.refused;
        return;
    }
    const std::string text = "tools {\n  t {\n" + lines + "  }\n}\n";
    RegistryEntries entries;
    try {
        entries = readRegistryText(text, kRegistryFile);
    } catch (...) {
        ADD_FAILURE() << "does not read back:\n" << text;
        return;
    }
    ASSERT_EQ(entries.toolDefinitions.size(), 1u) << text;
    EXPECT_TRUE(sameTemplate(entries.toolDefinitions.begin()->second, block)) << text;
    ++tally.written;
}

TEST(SourceWriterRoundTrip, TemplatesReadBackEqualThroughTheRegistry) {
    Tally tally;
    for (const std::string& text : keptInputs({"corpus", "registry_corpus", "regressions"})) {
        try {
            for (const auto& [name, tool] : readRegistryText(text, kRegistryFile).toolDefinitions) {
                if (tool) templateRoundTrip(tool, tally);
            }
        } catch (...) {
            // Not a registry file.
        }
    }
    for (const std::string& text :
         keptInputs({"corpus", "resolve_corpus", "resolve_regressions", "regressions"})) {
        RilkFuzz::forEachUnitTarget(text, "/fuzz", [&](const Target& target) {
            templateRoundTrip(
                std::make_shared<ContextTemplate>(target.assignments, target.conditions), tally);
        });
    }
    EXPECT_GT(tally.written, 40) << tally.refused << " refused";
    EXPECT_GT(tally.refused, 0);
}

/// Writes `assignment` as a cache record's text and, with a value, as a command-line item,
/// and reads both back.
void resolvedRoundTrip(const Assignment& assignment, Tally& tally) {
    SourceWriter writer(SourceForm::Resolved);
    std::string record;
    if (!writer.recordText(record, assignment)) {
        EXPECT_FALSE(writer.refusal().variable.empty());
        ++tally.refused;
        return;
    }
    const auto read = readCacheAssignment(record, assignment.type, assignment.modifier);
    ASSERT_TRUE(read) << record;
    EXPECT_TRUE(cacheEqual(*read, assignment)) << record;
    const auto grammar = readCacheAssignmentGrammar(record, assignment.type, assignment.modifier);
    ASSERT_TRUE(grammar) << record;
    EXPECT_TRUE(cacheEqual(*grammar, assignment)) << record;
    ++tally.written;
    if (!assignment.value) return;
    std::string item;
    ASSERT_TRUE(writer.itemText(item, assignment)) << writer.refusal().message();
    try {
        const Assignment fromCommandLine = parseAssignment(item, std::filesystem::path(), true);
        EXPECT_EQ(fromCommandLine.name, assignment.name) << item;
        EXPECT_TRUE(cacheEqual(fromCommandLine.value, assignment.value)) << item;
    } catch (const std::exception& error) {
        ADD_FAILURE() << item << ": " << error.what();
    }
}

TEST(SourceWriterRoundTrip, ResolvedTargetVariablesReadBackEqual) {
    const RilkTest::TempDir directory;
    RilkFuzz::makeGlobTree(directory.path());
    confineGlobs(directory.path());
    Tally tally;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    for (const std::string& text :
         keptInputs({"corpus", "resolve_corpus", "resolve_regressions", "regressions"})) {
        RilkFuzz::forEachUnitTarget(text, directory.path(), [&](const Target& target) {
            const auto context = RilkFuzz::resolveTarget(target);
            for (const auto& [name, assignment] : context->assignments) {
                resolvedRoundTrip(assignment, tally);
            }
        });
    }
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    confineGlobs({});
    EXPECT_GT(tally.written, 100) << tally.refused << " refused";
}

/// The assignment records of a cache file: "A <type> <modifier>", the text's length, the
/// text; found by their shape, so that damaged files give what they still hold.
std::vector<AssignmentRecordFields> assignmentRecords(const std::string& bytes) {
    std::vector<AssignmentRecordFields> records;
    std::size_t at = 0;
    while ((at = bytes.find("A ", at)) != std::string::npos) {
        const bool lineStart = at == 0 || bytes[at - 1] == '\n';
        at += 2;
        long long type = 0, modifier = 0;
        std::size_t length = 0;
        int used = 0;
        if (!lineStart || std::sscanf(bytes.c_str() + at, "%lld %lld\n%zu\n%n", &type, &modifier,
                                      &length, &used) != 3) {
            continue;
        }
        const std::size_t start = at + static_cast<std::size_t>(used);
        if (used == 0 || start + length > bytes.size()) continue;
        records.push_back({type, modifier, std::string_view(bytes).substr(start, length)});
    }
    return records;
}

TEST(SourceWriterRoundTrip, CacheRecordsReadBackEqual) {
    Tally tally;
    for (const Assignment& assignment : RilkTest::sampleAssignments()) {
        resolvedRoundTrip(assignment, tally);
    }
    const std::vector<std::string> files = keptInputs({"cache_corpus", "cache_regressions"});
    for (const std::string& bytes : files) {
        for (const AssignmentRecordFields& fields : assignmentRecords(bytes)) {
            if (const auto assignment = readRecordAssignment(fields)) {
                resolvedRoundTrip(*assignment, tally);
            }
        }
    }
    EXPECT_GT(tally.written, 60) << tally.refused << " refused";
}

}  // namespace
}  // namespace Rilk
