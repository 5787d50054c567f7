#include "tools/probe_answer_file.h"

#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Rilk::ProbeAnswer;
using Rilk::ProbeAnswers;
using Rilk::ProbeKey;

/// Answers whose texts hold everything a line format could stumble over.
ProbeAnswers awkwardAnswers() {
    using namespace std::string_literals;
    return {
        {{"/usr/bin/gcc", "/usr/bin/x86_64-linux-gnu-gcc-12", 1301496, 1744025177123456789,
          1744025177123456789, 1744025100000000000, -1, "-dumpmachine"},
         {0, "x86_64-linux-gnu"}},
        {{"/opt/a b/x\n1:", "/opt/a b/gcc\nRILK_PROBES_V2\n", 0, -1, 0, 0, 0, "--version"},
         {1, "first line\nsecond: 12 34 \n\n\x01\xff"s + '\0' + "end"}},
        {{"/p", "/p", 9223372036854775807, -9223372036854775807, 0, 0, 0, ""}, {255, ""}},
    };
}

void writeFile(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

TEST(ProbeAnswerFile, RoundTripsEveryByteAndLeavesOutWhatCannotBeKept) {
    ProbeAnswers answers = awkwardAnswers();
    const std::string text = Rilk::probeAnswersText(answers);
    EXPECT_EQ(text.rfind("RILK_PROBES_V2\n", 0), 0u);
    EXPECT_EQ(Rilk::parseProbeAnswers(text), answers);

    ProbeAnswers withTransient = answers;
    withTransient[{"/uninspected", "/uninspected", -1, 0, 0, 0, 0, "-v"}] = {0, "x"};
    withTransient[{"/failed-start", "/failed-start", 5, 1, 1, 1, 1, "-v"}] = {-1, ""};
    EXPECT_EQ(Rilk::probeAnswersText(withTransient), text);

    RilkTest::TempDir dir;
    writeFile(dir.path() / "probes", text);
    EXPECT_EQ(Rilk::readProbeAnswerFile(dir.path() / "probes"), answers);
}

TEST(ProbeAnswerFile, EveryTruncationKeepsTheWholeRecordsOrNothing) {
    const ProbeAnswers answers = awkwardAnswers();
    // Where each record ends: the text of the first k answers is as long as that.
    std::vector<std::size_t> recordEnds;
    ProbeAnswers first;
    for (const auto& entry : answers) {
        first.insert(entry);
        recordEnds.push_back(Rilk::probeAnswersText(first).size());
    }
    const std::string text = Rilk::probeAnswersText(answers);
    RilkTest::TempDir dir;
    const fs::path file = dir.path() / "probes";
    for (std::size_t length = 0; length <= text.size(); ++length) {
        writeFile(file, text.substr(0, length));
        const std::optional<ProbeAnswers> read = Rilk::readProbeAnswerFile(file);
        if (!read) continue;  // every probe runs again
        std::size_t whole = 0;
        while (whole < recordEnds.size() && recordEnds[whole] <= length) ++whole;
        EXPECT_EQ(read->size(), whole) << "cut at " << length;
        for (const auto& [key, answer] : *read) {
            ASSERT_TRUE(answers.contains(key)) << "cut at " << length;
            EXPECT_EQ(answer, answers.at(key)) << "cut at " << length;
        }
    }
}

TEST(ProbeAnswerFile, DamageMeansNoAnswersAtAll) {
    const ProbeAnswers answers = awkwardAnswers();
    const std::string text = Rilk::probeAnswersText(answers);
    const std::size_t firstEnd = Rilk::probeAnswersText({*answers.begin()}).size();
    auto replaced = [&](std::size_t at, std::size_t count, const std::string& with) {
        return std::string(text).replace(at, count, with);
    };
    const std::pair<const char*, std::string> cases[] = {
        {"empty file", ""},
        {"older header", replaced(0, 14, "RILK_PROBES_V1")},
        {"no header", text.substr(15)},
        {"flipped output byte", replaced(text.find("16:x86_64") + 3, 1, "y")},
        {"letter in a number", replaced(text.find(" 1301496 "), 2, " x")},
        {"number past 64 bits", replaced(text.find(" 1301496 "), 1, " 99999999999999999999")},
        {"no blank after a field", replaced(text.find(" 1301496 "), 1, "")},
        {"records not apart", replaced(firstEnd - 1, 1, " ")},
        {"garbage record", text + "garbage\n"},
        {"checksum not hex", replaced(firstEnd - 2, 1, "G")},
    };
    for (const auto& [what, damaged] : cases) {
        EXPECT_EQ(Rilk::parseProbeAnswers(damaged), std::nullopt) << what;
    }
}

TEST(ProbeAnswerFile, RefusesFilesItShouldNotRead) {
    RilkTest::TempDir dir;
    const ProbeAnswers large{{{"/p", "/p", 1, 2, 3, 4, 5, "--version"},
                              {0, std::string(Rilk::kMaxProbeAnswerFile, 'v')}}};
    writeFile(dir.path() / "large", Rilk::probeAnswersText(large));
    fs::create_directory(dir.path() / "directory");
    for (const char* name : {"large", "directory", "missing"}) {
        EXPECT_EQ(Rilk::readProbeAnswerFile(dir.path() / name), std::nullopt) << name;
    }
    // Answers another user could have planted; only root can give a file away.
    const fs::path foreign = dir.path() / "foreign";
    writeFile(foreign, Rilk::probeAnswersText(awkwardAnswers()));
    if (::geteuid() == 0 && ::chown(foreign.c_str(), 65534, 65534) == 0) {
        EXPECT_EQ(Rilk::readProbeAnswerFile(foreign), std::nullopt);
    }
}

}  // namespace
