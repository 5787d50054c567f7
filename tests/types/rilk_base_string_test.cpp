#include "support/temp_dir.h"
#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;

TEST(RilkBaseString, AddAndAppendConcatenateByOperandTypeKeepingTheLeftType) {
    const auto x = str("x");
    EXPECT_EQ(str("a")->add(*str("b"))->toString(), "ab");
    EXPECT_EQ(x->add(RilkInt(-5))->toString(), "x-5");
    EXPECT_EQ(x->add(*strings({"a", "b"}))->toString(), "x a b");
    EXPECT_EQ(x->toString(), "x");
    EXPECT_EQ(makePathString("src", "/p")->add(*str("/a.c"))->toDisplayString(), "P\"/p/src/a.c\"");
    EXPECT_EQ(RilkRawString("r").add(*str("s"))->typeName(), "RilkRawString");
    x->append(*str("b"));
    x->append(RilkInt(7));
    x->append(*strings({"c"}));
    EXPECT_EQ(x->toString(), "x b7 c");
    const auto empty = str("");
    empty->append(*str("b"));
    EXPECT_EQ(empty->toString(), " b");
    const std::string refused = "Cannot convert RilkIdentifier o to RilkString";
    EXPECT_EQ(errorText<BadConversion>([&] { x->add(*ref("o")); }), refused);
    EXPECT_EQ(errorText<BadConversion>([&] { x->append(*ref("o")); }), refused);
}

TEST(RilkBaseString, GetTakesPositionsAndRanges) {
    const auto s = str("abc");
    const std::pair<AccessKey, const char*> found[] = {{std::int64_t{1}, "b"},
                                                       {Range{1, 0, 1}, "bc"},
                                                       {Range{0, 99, 7}, "abc"},
                                                       {Range{3, 5, 1}, ""}};
    for (const auto& [key, text] : found) EXPECT_EQ(s->get(key)->toString(), text);
    const std::pair<AccessKey, const char*> refused[] = {{std::int64_t{3}, "[3]"},
                                                         {std::int64_t{-1}, "[-1]"},
                                                         {nameKey("n"), "n"},
                                                         {Range{4, 5, 1}, "[4:5:1]"}};
    for (const auto& [key, shown] : refused) {
        EXPECT_EQ(errorText<IndexException>([&] { s->get(key); }),
                  std::string("Variable \"abc\" cannot be indexed with ") + shown);
    }
}

TEST(RilkBaseString, EqualityIgnoresCaseAndOneQuotePairOrderingComparesLengths) {
    EXPECT_TRUE(str("\"ABC\"")->equals(*str("abc")));
    EXPECT_FALSE(str("abc")->equals(*str("abcd")));
    EXPECT_TRUE(RilkRawString("abc").equals(*str("ABC")));
    EXPECT_FALSE(RilkRawString("\"a\"").equals(*str("a")));
    EXPECT_TRUE(str("1")->notEquals(RilkInt(1)));
    EXPECT_FALSE(str("b")->greater(*str("a")) || str("b")->less(*str("a")));
    EXPECT_TRUE(str("ab")->greater(*str("z")));
    EXPECT_TRUE(str("\"a\"")->greater(*str("ab")));  // the stored text counts, quotes included
    EXPECT_FALSE(str("a")->equals(*ref("o")) || str("a")->greater(*ref("o")));
}

TEST(RilkBaseString, IteratesWordsOfItsOwnType) {
    EXPECT_EQ(texts(*str("  one two\tthree ")), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(texts(*str("\"a b\"")), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(texts(*str(" \t\n\v\f\r")).empty());
    EXPECT_EQ((*valueBegin(*makePathString("x.c y.c", "/src")))->toDisplayString(),
              "P\"/src/x.c\"");
    EXPECT_EQ((*valueBegin(*raw("r s")))->typeName(), "RilkRawString");
    const std::string error =
        errorText<InternalError>([] { (void)(valueBegin(*str("a")) == valueBegin(RilkList())); });
    EXPECT_NE(error.find("virtual bool Rilk::RilkBaseString::Iterator::equals(const "
                         "Rilk::IRilkValueIterator&) const"),
              std::string::npos)
        << error;
}

TEST(RilkString, DropsOnePairOfSurroundingQuotesAndDisplaysItsTextQuoted) {
    const std::pair<const char*, const char*> cases[] = {{"\"a\"", "a"},         {"\"", "\""},
                                                         {"\"a", "\"a"},         {"\"\"", ""},
                                                         {"\"\"x\"\"", "\"x\""}, {"", ""}};
    for (const auto& [text, value] : cases) EXPECT_EQ(str(text)->stringValue(), value) << text;
    EXPECT_EQ(RilkRawString("\"a\"").stringValue(), "\"a\"");
    EXPECT_EQ(str("\"q\"")->toString(), "\"q\"");
    EXPECT_EQ(str("\"q\"")->toDisplayString(), "\"\"q\"\"");
    EXPECT_EQ(RilkRawString("r").toDisplayString(), "\"r\"");
}

TEST(RilkPathString, DisplaysItsFullPathAndKeepsItsBaseInClones) {
    EXPECT_EQ(makePathString("src", "/p")->toDisplayString(), "P\"/p/src\"");
    EXPECT_EQ(makePathString("src", "")->toDisplayString(), "P\"src\"");
    EXPECT_EQ(makePathString("/abs", "/p")->toDisplayString(), "P\"/abs\"");
    EXPECT_EQ(makePathString("src", "/p")->toString(), "src");
    EXPECT_EQ(makePathString("f", "/b")->clone()->toDisplayString(), "P\"/b/f\"");
}

TEST(RilkPathString, ValuesMadeInTurnWithDifferentBasesKeepTheirOwn) {
    // Values made one after the other share a base directory only when it is the same.
    const char* bases[] = {"/p", "/q", "/p", "", "/p/", "/q"};
    std::vector<std::shared_ptr<RilkPathString>> made;
    for (const char* base : bases) made.push_back(makePathString("f", base));
    for (std::size_t i = 0; i < made.size(); ++i) {
        const std::string base = bases[i];
        EXPECT_EQ(made[i]->baseDirectory().native(), base) << i;
        const auto clone = std::dynamic_pointer_cast<RilkPathString>(made[i]->clone());
        EXPECT_EQ(clone->baseDirectory().native(), base) << i;
        EXPECT_EQ(made[i]->get(Range{0, 1, 1})->toDisplayString(),
                  base.empty() ? "P\"f\"" : "P\"" + joinedPathText(base, "f") + "\"")
            << i;
    }
}

TEST(RilkPathString, EqualWhenNamingTheSameFileElseByText) {
    TempDir dir;
    dir.write("a.c", "int x;\n");
    std::filesystem::create_directory(dir.path() / "sub");
    const auto viaBase = makePathString("a.c", dir.path());
    const auto absolute = makePathString((dir.path() / "sub" / ".." / "a.c").string(), "/other");
    EXPECT_TRUE(viaBase->equals(*absolute));
    // Missing files are never equal; plain strings compare by text.
    EXPECT_FALSE(makePathString("f", "/no/such")->equals(*makePathString("f", "/no/such")));
    // The system would cut a path at a NUL byte: it names no file.
    EXPECT_FALSE(makePathString(std::string("a.c\0x", 5), dir.path())->equals(*viaBase));
    EXPECT_TRUE(makePathString("A.C", "/p")->equals(*makeString("a.c")));
    EXPECT_TRUE(makeString("a.c")->equals(*makePathString("A.C", "/p")));
}
