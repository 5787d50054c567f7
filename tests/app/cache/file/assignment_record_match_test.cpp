// Matching an assignment record in place must agree exactly with writing it: every record
// the writer gives is matched, and nothing else, refusals included.
#include "app/cache/file/assignment_record_match.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/cache/file/cache_file_format.h"
#include "types/context.h"
#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"
#include "types/types_test_support.h"

namespace Rilk {
namespace {

using RilkTest::list;
using RilkTest::num;
using RilkTest::raw;
using RilkTest::ref;
using RilkTest::str;

Assignment set(const std::string& name, RilkValuePtr value,
               AssignType type = AssignType::Set, AssignModifier modifier = AssignModifier::None) {
    return Assignment(name, std::move(value), type, modifier);
}

std::vector<Assignment> samples() {
    auto block = std::make_shared<Context>();
    block->addAssignment(set("OBJ", makePathString("a.o", "/p")), kKeepModifier);
    return {
        set("SRC", makePathString("a.c", "/p")),
        set("SRC", makePathString("a.c", "/p/")),
        set("SRC", makePathString("/p/a.c", "/elsewhere")),
        set("SRC", makePathString("/p/a.c", "")),
        set("SRC", makePathString("p/a.c", "")),
        set("SRC", makePathString("a)\".c", "/p")),
        set("SRC", makePathString("a.c)", "/p")),
        set("SRC", makePathString("a\xff.c", "/p")),
        set("SRC", makePathString("a.c", "/p"), AssignType::Set, AssignModifier::Up),
        set("src", makePathString("a.c", "/p")),
        set("FLAG", str("-O2")),
        set("FLAG", str("")),
        set("FLAG", str("say \"hi\"")),
        set("FLAG", str("say \"hi)\" there")),
        set("FLAG", str("end)")),
        set("FLAG", str("bad \xc3")),
        set("FLAG", raw("-O2")),
        set("FLAG", raw("end)")),
        set("FLAG", raw("q\"uote)")),
        set("FLAG", raw("")),
        set("FLAG", str("-O2"), AssignType::Append),
        set("FLAG", str("-O2"), AssignType::SetIfUnset),
        set("FLAG", str("-O2"), AssignType::Declare),
        set("FLAG", nullptr, AssignType::Declare),
        set("FLAG", nullptr),
        set("FLAG", str("-O2"), static_cast<AssignType>(9)),
        set("N", num(0)),
        set("N", num(-5)),
        set("N", num(42)),
        set("L", list()),
        set("L", list({str("a"), makePathString("b", "/p"), num(3), raw("r)")})),
        set("L", list({str("a")})),
        set("L", list({list({str("a")})})),
        set("L", list({nullptr})),
        set("L", list({std::make_shared<RilkContext>(block)})),
        set("B", std::make_shared<RilkContext>(block)),
        set("R", ref("OTHER")),
        set("if", str("x")),
        set("1bad", str("x")),
        set("", str("x")),
    };
}

TEST(MatchAssignmentRecord, AgreesWithTheWriter) {
    const std::vector<Assignment> all = samples();
    for (const Assignment& written : all) {
        std::string record;
        const bool writable = writeAssignmentRecord(record, written);
        for (const Assignment& matched : all) {
            std::string expected;
            const bool same = writable && writeAssignmentRecord(expected, matched) &&
                              expected == record;
            const std::string bytes = record + "5\nafter\n";
            std::string_view rest = bytes;
            EXPECT_EQ(matchAssignmentRecord(rest, matched), same)
                << written.toString() << " / " << matched.toString();
            EXPECT_EQ(rest, same ? std::string_view("5\nafter\n") : std::string_view(bytes));
        }
    }
}

TEST(MatchAssignmentRecord, NothingTheWriterRefuses) {
    // Each record spells its assignment as the writer would, were it not refused.
    const struct {
        Assignment assignment;
        std::string text;
    } cases[] = {
        {set("SRC", makePathString("a\xff.c", "/p")), "SRC = P\"(/p/a\xff.c)\""},
        {set("SRC", makePathString("a.c)", "/p")), "SRC = P\"(/p/a.c))\""},
        {set("SRC", makePathString("a)\".c", "/p")), "SRC = P\"(/p/a)\".c)\""},
        {set("FLAG", str("bad \xc3")), "FLAG = \"bad \xc3\""},
        {set("FLAG", str("say \"hi)\" there")), "FLAG = R\"(say \"hi)\" there)\""},
        {set("FLAG", raw("bad \xc3")), "FLAG = R\"(bad \xc3)\""},
        {set("if", str("x")), "if = \"x\""},
        {set("L", list({list({str("a")})})), "L = [ [ \"a\" ] ]"},
        {set("FLAG", str("x"), static_cast<AssignType>(9)), "FLAG = \"x\""},
    };
    for (const auto& c : cases) {
        std::string unused;
        EXPECT_FALSE(writeAssignmentRecord(unused, c.assignment)) << c.text;
        std::string record = "A " + std::to_string(static_cast<unsigned>(c.assignment.type)) + " 0\n";
        writeSizedString(record, c.text);
        std::string_view rest = record;
        EXPECT_FALSE(matchAssignmentRecord(rest, c.assignment)) << c.text;
    }
}

TEST(MatchAssignmentRecord, OnlyTheWritersSpellingOfTheRecordLines) {
    const Assignment flag = set("FLAG", str("-O2"));
    const char* const spellings[] = {
        "A 1 0\n12\nFLAG = \"-O2\"\n",  "A 1 0\n012\nFLAG = \"-O2\"\n", "A 01 0\n12\nFLAG = \"-O2\"\n",
        "A 1 0 \n12\nFLAG = \"-O2\"\n", "A 1 0\n12\nFLAG = \"-O2\"",    "A 1 0\n13\nFLAG = \"-O2\"\n\n",
        "A 1 0\n12\nFLAG  = \"-O2\"\n",
    };
    for (const char* spelling : spellings) {
        std::string_view rest = spelling;
        EXPECT_EQ(matchAssignmentRecord(rest, flag), spelling == spellings[0]) << spelling;
    }
}

}  // namespace
}  // namespace Rilk
