// The registry reader takes the fast road wherever it can: on every text the writer writes,
// and with the registry file's resolved directory as the base of relative paths.
#include "app/registry/registry_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "../../../fuzz/registry_reader_differential.h"
#include "app/registry/registry_writer.h"
#include "parser/fast_registry_reader.h"
#include "support/temp_dir.h"
#include "types/rilk_path_string.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSource = RILK_SOURCE_DIR;
const fs::path kFile = "/home/u/.config/rilk/.rilk_registry.txt";

using RilkTest::readFile;

TEST(RegistryReader, TheFastReaderReadsEveryWrittenRegistry) {
    int written = 0;
    for (const char* folder : {"fuzz/registry_corpus", "fuzz/registry_regressions"}) {
        if (!fs::is_directory(kSource / folder)) continue;
        for (const auto& entry : fs::directory_iterator(kSource / folder)) {
            Rilk::RegistryEntries entries;
            try {
                entries = Rilk::readRegistryText(readFile(entry.path()), kFile);
            } catch (const std::exception&) {
                continue;  // a damaged registry, which no save writes
            }
            const std::string text = Rilk::registryFileText(entries, kFile);
            const RilkFuzz::RegistryReadings readings = RilkFuzz::readRegistryBothWays(text);
            EXPECT_TRUE(readings.fast.has_value()) << text;
            EXPECT_TRUE(readings.agree()) << text;
            ++written;
        }
    }
    EXPECT_GT(written, 3);
}

TEST(RegistryReader, TakesRelativePathsAgainstTheFilesResolvedDirectory) {
    RilkTest::TempDir home;
    fs::create_directories(home.path() / "real");
    fs::create_directory_symlink(home.path() / "real", home.path() / "link");
    const fs::path base = fs::canonical(home.path() / "real");
    const std::string text =
        "projects { rel \"sub/p\" abs \"/q\" }\ntools { cc { src = P\"(s/*.c)\" } }\n";

    const Rilk::RegistryEntries entries =
        Rilk::readRegistryText(text, home.path() / "link" / ".rilk_registry.txt");
    EXPECT_EQ(entries.projects.at("rel"), base / "sub/p");
    EXPECT_EQ(entries.projects.at("abs"), fs::path("/q"));
    const auto& source = entries.toolDefinitions.at("cc")->assignments.at(0).value;
    const auto* path = dynamic_cast<const Rilk::RilkPathString*>(source.get());
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->baseDirectory(), base);

    const RilkFuzz::RegistryReadings readings = RilkFuzz::readRegistryBothWays(text, base);
    EXPECT_TRUE(readings.fast.has_value());
    EXPECT_TRUE(readings.agree());
}

TEST(RegistryReader, NamesTheEntriesALaterOneOfTheirNameReplaces) {
    // Both roads count the same lines: the fast one, and the grammar's, which a number too
    // large for the fast reader sends the text to.
    const std::string head =
        "projects {\n  a \"/x\"\n  b \"/y\"\n  A \"/z\"\n}\ntools {\n  cc { }\n";
    const std::string tail = "\n  CC { x = 1 }\n  /* two\n lines */ cc { x = 2 }\n}\n";
    for (const auto& [middle, fastReads] :
         {std::pair<std::string, bool>{"", true}, {"  n { x = { n = 99999999999 } }", false}}) {
        const std::string text = head + middle + tail;
        EXPECT_EQ(Rilk::readRegistryFast(text, "/").has_value(), fastReads) << text;
        const Rilk::RegistryEntries entries = Rilk::readRegistryText(text, kFile);
        std::string replaced;
        for (const Rilk::ReplacedEntry& entry : entries.replacedEntries) {
            replaced += entry.kind + " " + entry.name + " " + std::to_string(entry.line) + "\n";
        }
        EXPECT_EQ(replaced, "project a 2\ntool cc 7\ntool CC 9\n") << text;
        EXPECT_EQ(entries.projects.begin()->first.str(), "a");
        EXPECT_EQ(entries.projects.at("a"), fs::path("/z"));
        EXPECT_EQ(entries.toolDefinitions.at("cc")->assignments.at(0).value->toString(), "2");
    }
}

}  // namespace
