#include <filesystem>
#include <tuple>

#include <gmock/gmock.h>

#include "support/temp_dir.h"
#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;
using ::testing::ElementsAre;

TEST(StringResolution, ReplacesTheTextByTheExpandedTextAndReturnsTheResult) {
    Context vars;
    set(vars, "x", strings({"a", "b"}));
    const auto value = str("#{x}.o");
    value->setResolver(&vars);
    EXPECT_THAT(texts(*value->resolve()), ElementsAre("a.o", "b.o"));
    EXPECT_EQ(value->toString(), "a.o b.o");
    const auto broken = str("${broken");
    EXPECT_THROW(broken->resolve(), RilkException);
    EXPECT_EQ(broken->toString(), "${broken");
}

TEST(StringResolution, VariablesThatNeedThemselvesEndInALoopErrorNamingThem) {
    using Variables = std::vector<std::pair<const char*, const char*>>;
    const std::tuple<Variables, const char*, const char*> cases[] = {
        {{{"x", "${x}"}}, "${x}", "'x'\n  loop goes as follows: x <- "},
        {{{"a", "${b}"}, {"b", "${a}"}}, "${a}", "'a'\n  loop goes as follows: b <- a <- "},
        {{{"x", "#{x}"}}, "#{x}", "'x'\n  loop goes as follows: x <- "},
        // The loop inside "self" is not taken for a variable that does not exist.
        {{{"self", "${self}"}, {"user", "[${self}]"}}, "${user}", "'self'"}};
    for (const auto& [variables, text, message] : cases) {
        Context vars;
        for (const auto& [name, value] : variables) set(vars, name, str(value));
        EXPECT_THAT(errorText<LoopFoundException>([&] { resolveIn(vars, text); }),
                    ::testing::HasSubstr(std::string("Causing term: ") + message))
            << text;
    }
}

TEST(PathResolution, GlobsEachExpandedTextOneMatchBecomesTheTextSeveralABaselessList) {
    TempDir dir;
    for (const char* file : {"src/a.c", "src/b.c", "src/x.h", "a/1.c", "b/2.c"})
        dir.write(file, "");
    Context vars;
    set(vars, "names", strings({"a", "b"}));
    const auto path = [&](const std::string& text) {
        auto value = makePathString(text, dir.path());
        value->setResolver(&vars);
        return value;
    };
    const auto at = [&](const std::string& relative) { return (dir.path() / relative).string(); };

    const auto several = path("src/*.c");
    const auto result = std::dynamic_pointer_cast<RilkList>(several->resolve());
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(several->toString(), "src/*.c");
    EXPECT_THAT(texts(*result), ::testing::UnorderedElementsAre(at("src/a.c"), at("src/b.c")));
    EXPECT_TRUE(dynamic_cast<RilkPathString&>(*result->elements()[1]).baseDirectory().empty());
    EXPECT_THAT(texts(*path("#{names}/*.c")->resolve()), ElementsAre(at("a/1.c"), at("b/2.c")));
    for (const auto& [text, expected] :
         {std::pair{"src/*.h", "src/x.h"}, std::pair{"src/*.none", "src/*.none"}}) {
        const auto value = path(text);
        EXPECT_EQ(value->resolve()->toDisplayString(), "P\"" + at(expected) + "\"");
        EXPECT_EQ(value->toString(), at(expected));
    }
    EXPECT_EQ(makePathString(at("src/a.*"), "/elsewhere")->resolve()->toString(), at("src/a.c"));
}

TEST(PathResolution, PathsWithoutWildcardsResolveAsTheGlobWalkWouldWriteThem) {
    // Without wildcards a path skips the glob walk; it must come out exactly as before,
    // doubled separators folded, whatever the base and the text look like.
    for (const auto& [base, text, expected] :
         {std::tuple{"/p", "a/b.c", "/p/a/b.c"}, std::tuple{"/p/", "a", "/p/a"},
          std::tuple{"/p", "/abs/x", "/abs/x"}, std::tuple{"", "rel/x", "rel/x"},
          std::tuple{"/p", "a//b", "/p/a/b"}, std::tuple{"/p//q", "a", "/p/q/a"},
          std::tuple{"/p", "dir/", "/p/dir/"}, std::tuple{"/p", "./a/../b", "/p/./a/../b"}}) {
        Context vars;
        auto value = makePathString(text, base);
        value->setResolver(&vars);
        EXPECT_EQ(value->resolve()->toString(), expected) << base << " + " << text;
        EXPECT_EQ(joinedPathText(base, text), (std::filesystem::path(base) / text).string())
            << base << " + " << text;
    }
}

TEST(PathResolution, APlainPathResolvesAsTheSamePathWrittenWithAReference) {
    // A text without references takes a shorter way than one with them; both must agree,
    // in the result, its type and base, and the text left in the value.
    TempDir dir;
    dir.write("src/a.c", "");
    const std::string root = dir.path().string();
    const std::pair<std::string, std::string> cases[] = {{"/p", "a/b.c"},
                                                         {"/p/", "a"},
                                                         {"/p", "/abs/x"},
                                                         {"", "rel/x"},
                                                         {"/p", "a//b"},
                                                         {"/p", "dir/"},
                                                         {"/p", ""},
                                                         {"", ""},
                                                         {root, "src/*.c"},
                                                         {root, "src/?.h"},
                                                         {root, "src//a.c"},
                                                         {"/p", "a b"},
                                                         {"/p", "a?b"},
                                                         {"/p", "a>b=c@d"},
                                                         {"/p", "x\xc3\xa9/y"},
                                                         {"/p/", "/"},
                                                         {"/p", "a/b//"},
                                                         {"/p", std::string("a\0b", 3)}};
    for (const auto& [base, text] : cases) {
        Context vars;
        set(vars, "nothing", str(""));
        const auto outcome = [&](const std::string& pathText) {
            auto value = makePathString(pathText, base);
            value->setResolver(&vars);
            std::string shown;
            const std::string error =
                errorText([&] { shown = value->resolve()->toDisplayString(); });
            return shown + "|" + value->toString() + "|" + error;
        };
        EXPECT_EQ(outcome(text), outcome(text + "${nothing}")) << base << " + " << text;
    }
}

TEST(LiteralText, ANameRilkFoundIsNeitherExpandedNorGlobbedAgain) {
    RilkTest::TempDir dir;
    for (const char* file : {"src/st*.c", "src/starfish.c"}) dir.write(file, "");
    Context vars;
    set(vars, "foo", str("FOO"));
    set(vars, "HOME", str("home"));
    const std::string found[] = {"src/st*.c", "src/${HOME}.c", "src/#{foo}.c", "src/#1.c"};
    for (const std::string& text : found) {
        const std::string full = (dir.path() / text).string();
        auto path = makePathString(full, "");
        path->markLiteral();
        path->setResolver(&vars);
        EXPECT_EQ(path->resolve()->toString(), full) << text;
        // Copies and words keep the mark; a reference inserts the text as it is.
        EXPECT_EQ(resolveValue(path->clone())->toString(), full) << text;
        set(vars, "found", path);
        EXPECT_EQ(resolveIn(vars, "<${found}>")->toString(), "<" + full + ">") << text;
    }
    // Appending a text without the mark drops it.
    const auto joined = makeLiteralString("${HOME}");
    joined->append(*str("${foo}"));
    joined->setResolver(&vars);
    EXPECT_EQ(joined->resolve()->toString(), "home FOO");
}

// Text built from a found name is final once resolved: a dependant that resolves it again
// in its own context, or appends it to a plain word, keeps it as it is.
TEST(LiteralText, TextBuiltFromAFoundNameStaysAsItIs) {
    Context vars;
    set(vars, "root", makeLiteralString("/p/a ${HOME} #{x} #1"));
    set(vars, "HOME", str("home"));
    set(vars, "x", strings({"1", "2"}));
    const std::string built = "/p/a ${HOME} #{x} #1/gen";
    const RilkValuePtr resolved = resolveIn(vars, "${root}/gen");
    ASSERT_EQ(resolved->toString(), built);
    set(vars, "again", resolved->clone());
    EXPECT_EQ(resolveIn(vars, "<${again}>")->toString(), "<" + built + ">");
    const auto word = str("-o");
    word->append(*vars.getVariable("root"));
    word->setResolver(&vars);
    EXPECT_EQ(word->resolve()->toString(), "-o /p/a ${HOME} #{x} #1");
}

TEST(LiteralText, GlobMatchesComeBackLiteral) {
    RilkTest::TempDir dir;
    for (const char* file : {"src/st*.c", "src/starfish.c"}) dir.write(file, "");
    Context vars;
    const auto pattern = makePathString("src/*.c", dir.path());
    pattern->setResolver(&vars);
    const RilkValuePtr matches = pattern->resolve();
    ASSERT_EQ(texts(*matches).size(), 2u);
    // Resolved again (as a dependant does), "st*.c" stays one file.
    for (const RilkValuePtr& match : std::dynamic_pointer_cast<RilkList>(matches)->elements()) {
        EXPECT_EQ(texts(*resolveValue(match->clone())).size(), 1u) << match->toString();
    }
}
