// What a user reads when something is wrong: every message says what it is about (the file,
// the item, the variable and the target) in the system's own words.
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "e2e/rilk_run.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class Messages : public RilkRun {
protected:
    /// Hands the working and home directories to an unprivileged user and runs as that user
    /// from now on, so that a file's own permissions keep it out; false when that cannot
    /// be done (not root, or the binary lies out of that user's reach).
    bool runUnprivileged() {
        if (::geteuid() != 0) return true;  // permissions apply to the test's own user
        constexpr int kNobody = 65534;
        for (const auto* tree : {&work, &home}) {
            if (::lchown(tree->path().c_str(), kNobody, kNobody) != 0) return false;
            for (const auto& entry : fs::recursive_directory_iterator(tree->path())) {
                if (::lchown(entry.path().c_str(), kNobody, kNobody) != 0) return false;
            }
        }
        runAs = kNobody;
        return rilk({"--version"}).exitCode == 0;
    }
};

const std::string kVisitA = "Starting build\n[1::a] Visiting target\n";

TEST_F(Messages, EachNamesWhatItIsAbout) {
    struct Case {
        const char* about;
        std::string unit;  // rilk.txt; none when empty
        std::vector<std::string> args;
        std::string out;
        int exitCode = 1;
    };
    const std::string d = dir();
    const Case cases[] = {
        {"a second target of one name",
         "x: { NO_TOOL }\nX: { NO_TOOL }\n",
         {},
         "Error: Key already exists: x: the unit file '" + d +
             "/rilk.txt' defines target 'x' twice.\n"},
        {"a context value indexed by number",
         "a: { NO_TOOL c = { y = 1 } ^r = c[0] }",
         {},
         kVisitA +
             "Error: Variable 'r' of target 1::a: A context value (holding y) cannot be indexed "
             "with [0]; name one of its variables instead.\n"},
        {"a text range past its end",
         "a: { NO_TOOL s = \"abc\" ^r = s[5:6] }",
         {},
         kVisitA + "Error: Variable 'r' of target 1::a: Variable \"abc\" cannot be indexed with "
                   "[5:6:1]\n"},
        {"an index without value",
         "a: { NO_TOOL i ^r = l[i] l = [1] }",
         {},
         kVisitA + "Error: Variable 'r' of target 1::a: Index 'i' has no value; an index must be a "
                   "number or a name.\n"},
        {"an index that is a list",
         "a: { NO_TOOL l = [1, 2] i = [\"0\"] ^r = l[i] }",
         {},
         kVisitA + "Error: Variable 'r' of target 1::a: Index 'i' is [ \"0\" ]; an index must be a "
                   "number or a name.\n"},
        {"a text that refers to itself",
         "a: { NO_TOOL r = R\"(x${r})\" ^o = \"${r}\" }",
         {},
         kVisitA +
             "Error: Variable 'o' of target 1::a, value \"${r}\": Reference '${r}' expands to a "
             "text that refers to 'r' again.\n"},
        {"an empty reference",
         "a: { NO_TOOL x = \"a${}b\" }",
         {},
         kVisitA + "Error: Variable 'x' of target 1::a, value \"a${}b\": Empty identifier (at "
                   "position 0 of the name)\n"},
        {"a dynamic dependency that is no target name",
         "a: { NO_TOOL }\nb: @d { NO_TOOL d = \"::a\" }",
         {"b"},
         "Starting build\n[1::b] Visiting target\nError: Variable 'd' of target 1::b: Invalid "
         "dynamic dependency '::a': Dependency string has empty prefix or target: ::a\n"},
        {"a '+' dependency output that cannot be joined",
         "a: { NO_TOOL ^x = \"s\" }\nb: +a { NO_TOOL x = 1 }",
         {"b"},
         "Starting build\n[1::b] Visiting target\n[1::a] Visiting target\n[1::a] Starting build "
         "job\n[1::a] Build done\nError: Cannot merge output 'x' of dependency 1::a into target "
         "1::b: Cannot convert RilkInt 1 to RilkString\n"},
        {"a '+' dependency output joined on a second try",
         "a: { NO_TOOL ^x = \"s\" }\nb: +a { NO_TOOL x = Y Y = 1 }",
         {"b"},
         "Starting build\n[1::b] Visiting target\n[1::a] Visiting target\n[1::a] Starting build "
         "job\n[1::a] Build done\nError: Cannot merge output 'x' of dependency 1::a into target "
         "1::b: Cannot convert RilkInt 1 to RilkString\n"},
        {"a loop of variables",
         "a: { NO_TOOL X = Y Y = X ^o = X }",
         {},
         kVisitA + "Error: Loop detected! Causing term: 'X' in target 1::a\n  loop goes as "
                   "follows: Y <- X <- o <- \n"},
        {"a dependency alias that is a variable in another case",
         "all: utest(T0) => t0 { T0 = \"parse_array\" NO_TOOL }\nutest(T): { NO_TOOL ^B = T }",
         {},
         "Starting build\n[1::all] Visiting target\n[1::utest] Visiting target\n[1::utest] "
         "Starting build job\n[1::utest] Build done\n[1::all] Dependency output alias 't0' of "
         "1::utest collides with an existing context variable 'T0' in target 1::all. Names are "
         "case-insensitive; this may make dependency output ambiguous.\n[1::all] Dependency output "
         "'1::utest' is not added "
         "to context variable 'T0' (named 't0' here), whose value cannot take it: Cannot convert "
         "RilkContext B to RilkString\n[1::all] Starting build job\n[1::all] Build done\n",
         0},
        {"an existing variable that fails inside a reference: only the real error",
         "a: { NO_TOOL c = { y = 1 } ^r = \"${y}\" y = c[0] }",
         {},
         kVisitA +
             "Error: Variable 'y' of target 1::a: A context value (holding y) cannot be indexed "
             "with [0]; name one of its variables instead.\n"},
        {"the error of a dependency names the dependency",
         "a: b { NO_TOOL }\nb: { NO_TOOL x = "
         "\"${}\" }",
         {},
         kVisitA +
             "[1::b] Visiting target\nError: Variable 'x' of target 1::b, value \"${}\": Empty "
             "identifier (at position 0 of the name)\n"},
        {"'!' in a unit file",
         "a: { NO_TOOL\n  !x = 1 }",
         {},
         "Error: " + d +
             "/rilk.txt(2,2): '!' assignment modifier is not allowed in this context.\n"},
        {"a command-line item that is nothing",
         "a: { NO_TOOL }",
         {"y=("},
         "Error: Command-line item 'y=(' is not a target, a profile or a valid assignment: Parsing "
         "assignment failed due to syntax errors.\n"},
        {"a command killed by a signal",
         "a: { cmdline = \"kill -TERM $$\" }",
         {},
         kVisitA + "[1::a] Starting build job\n[1::a] kill -TERM $$\n[1::a] Build of 1::a failed "
                   "(command killed by signal 15, SIGTERM). Exiting..\nError: Build failed.\n"},
        {"a working directory (cwd) holding a NUL byte",
         "a: { cmdline = \"pwd\" cwd = \"sub\0x\" }"s,
         {},
         kVisitA + "[1::a] Starting build job\nError: The working directory (cwd) of a command "
                   "of 1::a holds a NUL byte, at which the system would cut it: 'sub\\0x'\n"},
        {"a working directory (cwd) that does not exist",
         "a: { cmdline = \"true\" cwd = \"" + d + "/missing\" }",
         {},
         kVisitA +
             "[1::a] Starting build job\n[1::a] true\n[1::a] Build of 1::a failed (command "
             "could not start in '" +
             d +
             "/missing': No such file or directory). "
             "Exiting..\nError: Build failed.\n"},
        {"a target no tool knows",
         "a: { x = 1 }",
         {},
         kVisitA + "Error: No tool to build 1::a. No tool knows any of its variables. No tool "
                   "is registered but the built-in ones: `rilk --find-compilers` registers the "
                   "machine's compilers. Run with -v 0 to see each tool's answer.\n"},
        {"a directory as unit file",
         "",
         {"-f", d},
         "Error: Unable to open file! The unit file '" + d +
             "' cannot be read: it is a directory.\n"},
        {"a unit file that is not UTF-8",
         "a: { NO_TOOL }\nb: { x = \"\xc3\xa9\xff\" }\n",
         {},
         "Error: " + d +
             "/rilk.txt(2,11): the text is not valid UTF-8 (byte 0xFF); save the file as "
             "UTF-8.\n"},
        {"a unit file without targets",
         "// nothing yet\n",
         {},
         "Error: The main unit '1' (file '" + d +
             "/rilk.txt') holds no target, so there is nothing to build: add a target to its "
             "file.\n"},
        {"-r without a project",
         "a: { NO_TOOL }",
         {"-r"},
         "Error: project '' not found: no project file (.rilk_project.txt) was found in '" + d +
             "' or any directory above it, so there is nothing to register.\n"},
        {"-r with -f",
         "a: { NO_TOOL }",
         {"-r", "-f", "rilk.txt"},
         "Error: project '' not found: with -f or -c no project file is read, so there is "
         "nothing to register.\n"},
    };
    for (const Case& c : cases) {
        fs::remove(work.path() / "rilk.txt");
        if (!c.unit.empty()) write({{"rilk.txt", c.unit}});
        const auto result = rilk(c.args);
        EXPECT_EQ(result.out, c.out) << c.about;
        EXPECT_EQ(result.err, "") << c.about;
        EXPECT_EQ(result.exitCode, c.exitCode) << c.about;
    }
}

TEST_F(Messages, ALongCommandLineItemIsQuotedByItsStart) {
    write({{"rilk.txt", "unit u\na: { NO_TOOL }\n"}});
    const std::string tail(5000, 'a');
    const std::string shown(77, 'a');
    struct Case {
        std::string item;
        std::string line;
        int exitCode;
    };
    const Case cases[] = {
        {"u::" + tail,
         "Error: Command-line item 'u::" + shown +
             "...' is not a target, a profile or a valid assignment: Parsing assignment failed "
             "due to syntax errors.\n",
         1},
        {"--" + tail, "Ignoring unknown option '--" + tail.substr(0, 78) + "...'.\n", 0},
    };
    for (const Case& c : cases) {
        const auto result = rilk({c.item});
        EXPECT_EQ(result.out.substr(0, c.line.size()), c.line) << result.out.substr(0, 300);
        EXPECT_EQ(result.exitCode, c.exitCode);
    }
}

TEST_F(Messages, AFileThatCannotBeReadIsNamedWithTheReason) {
    write({{"rilk.txt", "a: { NO_TOOL }\n"}});
    home.write(".config/rilk/.rilk_registry.txt", "");
    fs::permissions(work.path() / "rilk.txt", fs::perms::none);
    fs::permissions(home.path() / ".config/rilk/.rilk_registry.txt", fs::perms::none);
    if (!runUnprivileged()) GTEST_SKIP() << "no unprivileged user can run the binary";
    const std::string registry = (home.path() / ".config/rilk/.rilk_registry.txt").string();
    const std::string unreadableRegistry =
        "Registry file '" + registry + "' cannot be read: Permission denied.\n";

    auto result = rilk({});
    EXPECT_EQ(result.out, unreadableRegistry + "Error: Unable to open file! The unit file '" +
                              dir() + "/rilk.txt' cannot be read: Permission denied.\n");
    EXPECT_EQ(result.exitCode, 1);

    write({{".rilk_project.txt", "name demo units { u { \"rilk.txt\" } }\n"}});
    fs::permissions(work.path() / ".rilk_project.txt", fs::perms::none);
    result = rilk({});
    EXPECT_EQ(result.out, unreadableRegistry + "Error: Project file '" + dir() +
                              "/.rilk_project.txt' cannot be read: Permission denied.\n");
    EXPECT_EQ(result.exitCode, 1);
}

TEST_F(Messages, ARemovedWorkingDirectoryIsNamed) {
    write({{"rilk.txt", "a: { NO_TOOL }\n"}});
    const auto result = RilkTest::runProcess(
        {"/bin/sh", "-c", "mkdir gone && cd gone && rmdir ../gone && exec \"$0\"", RILK_BINARY},
        {.workingDirectory = work.path(), .environment = userEnvironment()});
    EXPECT_EQ(result.out,
              "Error: The working directory cannot be found: No such file or directory (it was "
              "removed). Run rilk in an existing directory.\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exitCode, 1);
}

}  // namespace

TEST_F(Messages, ARawOrPathStringThatRunsOnIsWarnedOfWhereItStarts) {
    // The literal of `a` runs on to the `)"` of `b`, taking `b` into a's command.
    write({{".rilk_project.txt",
            "name demo\nunits { u { \"rilk.txt\" } }\n"
            "profiles { default { X = P\"(x))\" y)\" } }\n"},
           {"rilk.txt",
            "unit u\na: {\n  cmdline = R\"(echo $(echo a))\" }\nb: { cmdline = R\"(echo b)\" }\n"
            "c: { cmdline = R\"(echo c) )\" }\n"}});
    const auto result = rilk({"a"});
    const std::string warning =
        ": this raw or path string holds ')\"' and so runs on past where it seems to end";
    EXPECT_NE(result.out.find(dir() + "/rilk.txt(3,12)" + warning), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find(dir() + "/.rilk_project.txt(3,25)" + warning), std::string::npos)
        << result.out;
    EXPECT_EQ(result.out.find("rilk.txt(5,"), std::string::npos) << result.out;
}
