#include "app/registry/registry_writer.h"

#include <string>

#include <gtest/gtest.h>

#include "types/exact_equality.h"
#include "app/registry/registry_reader.h"
#include "types/rilk_errors.h"
#include "types/rilk_list.h"
#include "types/rilk_string.h"

namespace {

const std::filesystem::path kFile = "/home/u/.config/rilk/.rilk_registry.txt";

std::shared_ptr<Rilk::ContextTemplate> gccTool() {
    return std::make_shared<Rilk::ContextTemplate>(std::vector<Rilk::Assignment>{
        {"tool_type", Rilk::makeString("gnu-gcc"), Rilk::AssignType::Set,
         Rilk::AssignModifier::None},
        {"arch", Rilk::makeString("x86_64"), Rilk::AssignType::Set, Rilk::AssignModifier::None},
    });
}

TEST(RegistryWriter, WritesTheBlocksThatHoldEntries) {
    const auto gcc = gccTool();
    struct Case {
        Rilk::RegistryEntries entries;
        std::string text;
    };
    const Case cases[] = {
        {{}, ""},
        {{{{"beta", "/p/b/.rilk_project.txt"}, {"Alpha", "/p/a/.rilk_project.txt"}}, {}},
         "projects {\n  Alpha \"/p/a/.rilk_project.txt\"\n  beta \"/p/b/.rilk_project.txt\"\n}\n"},
        {{{}, {{"gcc", gcc}, {"empty", std::make_shared<Rilk::ContextTemplate>()}}},
         "tools {\n  empty {\n  }\n  gcc {\n    tool_type = \"gnu-gcc\"\n"
         "    arch = \"x86_64\"\n  }\n}\n"},
        {{{{"app", "/p/.rilk_project.txt"}}, {{"gcc", gcc}}},
         "projects {\n  app \"/p/.rilk_project.txt\"\n}\n\ntools {\n  gcc {\n"
         "    tool_type = \"gnu-gcc\"\n    arch = \"x86_64\"\n  }\n}\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(Rilk::registryFileText(c.entries, kFile), c.text);
}

TEST(RegistryWriter, KeepsWhatAHandWrittenToolDefinitionHolds) {
    const std::string text =
        "tools {\n"
        "  cc {\n"
        "    !cmdline ?= [ \"a\", R\"(raw \"q\")\", P\"(/src/x.c)\", 3, -4, dir.files[1][2:5][k] "
        "]\n"
        "    ^out += []\n"
        "    cleared\n"
        "    block = {}\n"
        "    if mode = \"debug\" {\n"
        "      flags += \"-g\"\n"
        "      if x {\n"
        "      }\n"
        "    }\n"
        "    if level > 2 {\n"
        "    }\n"
        "  }\n"
        "}\n";
    const Rilk::RegistryEntries entries = Rilk::readRegistryText(text, kFile);
    EXPECT_EQ(Rilk::registryFileText(entries, kFile), text);
}

TEST(RegistryWriter, RefusesAnEntryThatWouldNotReadBackTheSame) {
    auto tool = [](Rilk::RilkValuePtr value) {
        return std::make_shared<Rilk::ContextTemplate>(std::vector<Rilk::Assignment>{
            {"v", std::move(value), Rilk::AssignType::Set, Rilk::AssignModifier::None}});
    };
    auto inner =
        std::make_shared<Rilk::RilkList>(std::vector<Rilk::RilkValuePtr>{Rilk::makeString("a")});
    auto outer = std::make_shared<Rilk::RilkList>(std::vector<Rilk::RilkValuePtr>{inner});
    struct Case {
        Rilk::RegistryEntries entries;
        std::string named;
        std::string reason;
    };
    const Case cases[] = {
        {{{}, {{"q", tool(Rilk::makeString("say \"hi\""))}}}, "tool 'q'", "double quote"},
        {{{}, {{"n", tool(outer)}}}, "tool 'n'", "reads back differently"},
        {{{}, {{"tools", tool(nullptr)}}}, "tool 'tools'", "does not read back"},
        {{{{"app", "/p/\"x\"/.rilk_project.txt"}}, {}}, "project 'app'", "double quote"},
        {{{{"rel", "p/.rilk_project.txt"}}, {}}, "project 'rel'", "reads back differently"},
        {{{{"9lives", "/p/.rilk_project.txt"}}, {}}, "project '9lives'", "does not read back"},
    };
    for (const Case& c : cases) {
        try {
            Rilk::registryFileText(c.entries, kFile);
            ADD_FAILURE() << c.named << " was written";
        } catch (const Rilk::RilkException& error) {
            EXPECT_NE(error.message().find("The " + c.named +
                                           " cannot be written to the "
                                           "registry file '" +
                                           kFile.string() + "'"),
                      std::string::npos)
                << error.message();
            EXPECT_NE(error.message().find(c.reason), std::string::npos) << error.message();
            EXPECT_NE(error.message().find("The file was left untouched."), std::string::npos);
        }
    }
}

}  // namespace

TEST(RegistryReader, BlankTextRegistersNothingAndAnythingElseStillMeetsTheGrammar) {
    for (const std::string blank : {"", "\n", " \t\r\n  \n"}) {
        const Rilk::RegistryEntries entries = Rilk::readRegistryText(blank, kFile);
        EXPECT_TRUE(entries.projects.empty() && entries.toolDefinitions.empty());
    }
    // A comment is not blank: the grammar reads it (and finds nothing either).
    EXPECT_TRUE(Rilk::readRegistryText("// none yet\n", kFile).projects.empty());
    // Text the grammar refuses is still refused, blanks before it or not.
    EXPECT_ANY_THROW(Rilk::readRegistryText("  \n}", kFile));
    EXPECT_ANY_THROW(Rilk::readRegistryText("\f", kFile));
}
