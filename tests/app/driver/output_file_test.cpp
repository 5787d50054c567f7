#include "app/driver/output_file.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "app/cache/cache_equality.h"
#include "parser/parse_assignment.h"
#include "support/temp_dir.h"
#include "types/rilk_path_string.h"
#include "types/rilk_string.h"
#include "types/types_test_support.h"

namespace {

const std::filesystem::path kFile = "/out/vars.txt";

void add(Rilk::Context& context, const std::string& name, const Rilk::RilkValuePtr& value) {
    context.addAssignment(
        Rilk::Assignment(name, value, Rilk::AssignType::Set, Rilk::AssignModifier::Up),
        Rilk::kKeepModifier);
}

Rilk::RilkValuePtr block(std::vector<Rilk::Assignment> assignments) {
    return RilkTest::nested(
        std::make_shared<Rilk::Context>(assignments, std::vector<Rilk::Condition>{}));
}

TEST(OutputFile, OneLinePerVariableWithValueInNameOrder) {
    Rilk::Context outputs;
    add(outputs, "b", RilkTest::str("text"));
    add(outputs, "A", RilkTest::num(3));
    add(outputs, "none", nullptr);
    add(outputs, "list", RilkTest::strings({"x", "y"}));
    add(outputs, "path", Rilk::makePathString("out/app", "/root"));
    EXPECT_EQ(Rilk::outputFileText(outputs, kFile),
              "A = 3\nb = \"text\"\nlist = [ \"x\", \"y\" ]\npath = P\"(/root/out/app)\"\n");
}

// Each line, given to rilk as a command-line item, sets the variable to the same value.
TEST(OutputFile, LinesReadBackAsCommandLineAssignments) {
    const std::pair<const char*, Rilk::RilkValuePtr> outputs[] = {
        {"PATH", Rilk::makePathString("out/app", "/root dir")},
        {"QUOTED", RilkTest::str("-DNAME=\"x\"")},
        {"RAW", RilkTest::raw("${kept} ) x")},
        {"LIST", RilkTest::list({RilkTest::num(-1), Rilk::makePathString("/a", ""),
                                 RilkTest::str("two words")})},
        {"EMPTY", RilkTest::list()},
        {"LINES", RilkTest::str("one\ntwo // not a comment")},
        {"CFG", block({Rilk::Assignment("x", RilkTest::str("1"), Rilk::AssignType::Append,
                                        Rilk::AssignModifier::Up)})},
    };
    for (const auto& [name, value] : outputs) {
        Rilk::Context one;
        add(one, name, value);
        std::string line = Rilk::outputFileText(one, kFile);
        ASSERT_EQ(line.back(), '\n');
        line.pop_back();
        const Rilk::Assignment item = Rilk::parseAssignment(line, "/elsewhere", true);
        EXPECT_EQ(item.name, name) << line;
        EXPECT_TRUE(Rilk::cacheEqual(item.value, value)) << line;
    }
}

TEST(OutputFile, LeavesOutAValueWithoutAWrittenFormWithAWarning) {
    Rilk::Context outputs;
    add(outputs, "A", RilkTest::num(1));
    add(outputs, "BAD", RilkTest::str("both \" and )\""));
    std::string text;
    const std::string warned =
        RilkTest::capture(6, [&] { text = Rilk::outputFileText(outputs, kFile); });
    EXPECT_EQ(text, "A = 1\n");
    EXPECT_NE(warned.find(kFile.string()), std::string::npos) << warned;
    EXPECT_NE(warned.find("the variable 'BAD'"), std::string::npos) << warned;
    EXPECT_NE(warned.find("double quote"), std::string::npos) << warned;
}

// Given back on the command line, a value is resolved again: found text that resolving
// would change is written so that it does not change, or left out with a warning.
TEST(OutputFile, FoundTextReadsBackAsItselfOnceResolved) {
    const auto literal = [](const char* text) -> Rilk::RilkValuePtr {
        return Rilk::makeLiteralString(text);
    };
    const std::pair<Rilk::RilkValuePtr, const char*> kept[] = {
        {literal("a$b#c {d} #{"), "\"a$b#c {d} #{\""},
        {literal("{a} #{x}"), "\"{a} #{x}\""},
        {RilkTest::list({RilkTest::raw("${x} ) y"), RilkTest::str("y")}),
         "[ R\"(${x} ) y)\", \"y\" ]"},
    };
    for (const auto& [value, written] : kept) {
        Rilk::Context one;
        add(one, "V", value);
        std::string line = Rilk::outputFileText(one, kFile);
        EXPECT_EQ(line, std::string("V = ") + written + "\n");
        line.pop_back();
        Rilk::Context readBack;
        readBack.addAssignment(Rilk::parseAssignment(line, "/elsewhere", true),
                               Rilk::kKeepModifier);
        readBack.resolveAll();
        EXPECT_EQ(RilkTest::textOf(readBack, "V"), value->toString()) << line;
    }
    const Rilk::RilkValuePtr leftOut[] = {
        Rilk::makePathString("st*.o", "/obj"),
        Rilk::makePathString("a?.o", "/obj"),
        Rilk::makePathString("${x}.o", "/obj"),
        RilkTest::list({Rilk::makePathString("/obj/ok.o", ""), Rilk::makePathString("/#{x}", "")}),
        literal("/p/dollar ${HOME} x/gen"),
        RilkTest::list({literal("#{x}"), RilkTest::str("y")}),
        literal("file#1.c"),
        RilkTest::raw("${x} )"),
    };
    for (const Rilk::RilkValuePtr& value : leftOut) {
        Rilk::Context one;
        add(one, "OBJS", value);
        std::string text = "unset";
        const std::string warned =
            RilkTest::capture(6, [&] { text = Rilk::outputFileText(one, kFile); });
        EXPECT_EQ(text, "") << value->toDisplayString();
        EXPECT_NE(warned.find("the variable 'OBJS'"), std::string::npos) << warned;
    }
}

TEST(OutputFile, FailsNamingTheFileItCannotWrite) {
    RilkTest::TempDir dir;
    const auto file = dir.path() / "missing" / "out.txt";
    std::string error;
    try {
        Rilk::writeOutputFile(file, Rilk::Context());
    } catch (const std::runtime_error& failure) {
        error = failure.what();
    }
    EXPECT_NE(error.find(file.string()), std::string::npos) << error;
}

}  // namespace
