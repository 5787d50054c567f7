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

using RilkTest::assign;
using RilkTest::list;
using RilkTest::num;
using RilkTest::raw;
using RilkTest::ref;
using RilkTest::str;

std::vector<Assignment> samples() {
    auto block = std::make_shared<Context>();
    block->addAssignment(assign("OBJ", makePathString("a.o", "/p")), kKeepModifier);
    return {
        assign("SRC", makePathString("a.c", "/p")),
        assign("SRC", makePathString("a.c", "/p/")),
        assign("SRC", makePathString("/p/a.c", "/elsewhere")),
        assign("SRC", makePathString("/p/a.c", "")),
        assign("SRC", makePathString("p/a.c", "")),
        assign("SRC", makePathString("a)\".c", "/p")),
        assign("SRC", makePathString("a.c)", "/p")),
        assign("SRC", makePathString("a\xff.c", "/p")),
        assign("SRC", makePathString("a.c", "/p"), AssignType::Set, AssignModifier::Up),
        assign("src", makePathString("a.c", "/p")),
        assign("FLAG", str("-O2")),
        assign("FLAG", str("")),
        assign("FLAG", str("say \"hi\"")),
        assign("FLAG", str("say \"hi)\" there")),
        assign("FLAG", str("end)")),
        assign("FLAG", str("bad \xc3")),
        assign("FLAG", raw("-O2")),
        assign("FLAG", raw("end)")),
        assign("FLAG", raw("q\"uote)")),
        assign("FLAG", raw("")),
        assign("FLAG", raw("say \"hi)\" there")),
        assign("FLAG", raw("bad \xc3")),
        assign("FLAG", str("100% \x01")),
        assign("SRC", makePathString("a%29.c", "/p")),
        assign("FLAG", str("-O2"), AssignType::Append),
        assign("FLAG", str("-O2"), AssignType::SetIfUnset),
        assign("FLAG", str("-O2"), AssignType::Declare),
        assign("FLAG", nullptr, AssignType::Declare),
        assign("FLAG", nullptr),
        assign("FLAG", str("-O2"), static_cast<AssignType>(9)),
        assign("N", num(0)),
        assign("N", num(-5)),
        assign("N", num(42)),
        assign("L", list()),
        assign("L", list({str("a"), makePathString("b", "/p"), num(3), raw("r)")})),
        assign("L", list({str("a")})),
        assign("L", list({list({str("a")})})),
        assign("L", list({nullptr})),
        assign("L", list({std::make_shared<RilkContext>(block)})),
        assign("B", std::make_shared<RilkContext>(block)),
        assign("R", ref("OTHER")),
        assign("if", str("x")),
        assign("1bad", str("x")),
        assign("", str("x")),
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
            // The writer's bytes: matched the same without looking for refusals.
            rest = bytes;
            if (writable) {
                EXPECT_EQ(matchAssignmentRecord(rest, matched, false), same)
                    << written.toString() << " / " << matched.toString();
            }
        }
    }
}

TEST(MatchAssignmentRecord, NothingButTheWritersForm) {
    // Each record spells its assignment in the language, where the writer refuses it or
    // keeps it in the cache's own form.
    const struct {
        Assignment assignment;
        std::string text;
    } cases[] = {
        {assign("SRC", makePathString("a\xff.c", "/p")), "SRC = P\"(/p/a\xff.c)\""},
        {assign("SRC", makePathString("a.c)", "/p")), "SRC = P\"(/p/a.c))\""},
        {assign("SRC", makePathString("a)\".c", "/p")), "SRC = P\"(/p/a)\".c)\""},
        {assign("FLAG", str("bad \xc3")), "FLAG = \"bad \xc3\""},
        {assign("FLAG", str("say \"hi)\" there")), "FLAG = R\"(say \"hi)\" there)\""},
        {assign("FLAG", raw("bad \xc3")), "FLAG = R\"(bad \xc3)\""},
        {assign("if", str("x")), "if = \"x\""},
        {assign("L", list({list({str("a")})})), "L = [ [ \"a\" ] ]"},
        {assign("FLAG", str("x"), static_cast<AssignType>(9)), "FLAG = \"x\""},
    };
    for (const auto& c : cases) {
        std::string record = "A " + std::to_string(static_cast<unsigned>(c.assignment.type)) + " 0\n";
        writeSizedString(record, c.text);
        std::string_view rest = record;
        EXPECT_FALSE(matchAssignmentRecord(rest, c.assignment)) << c.text;
    }
}

TEST(MatchAssignmentRecord, OnlyTheWritersSpellingOfTheRecordLines) {
    const Assignment flag = assign("FLAG", str("-O2"));
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
