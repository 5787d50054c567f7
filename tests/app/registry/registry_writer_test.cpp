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

TEST(RegistryWriter, WritesAToolHoldingABlockAsAValueBackAsItWasWritten) {
    // A block as a value reads as no value in a registry: the tool's own text keeps it,
    // for as long as the tool has the template read from that text.
    struct Case {
        std::string text;
        std::string rewritten;
    };
    const std::string kept =
        "tools {\n  cc { x = { y = 1 } // note\n    l = [\"a\", { z = [2, {}] }]\n"
        "    if os = \"linux\" { c = {} } }\n}\n";
    const Case cases[] = {
        {kept, kept},
        // Read by the grammar: the fast reader leaves this number to it.
        {"tools {\n  cc { x = { n = 99999999999 } }\n}\n",
         "tools {\n  cc { x = { n = 99999999999 } }\n}\n"},
        // The entry of a name read last decides, with its own text or without one.
        {"tools { cc { x = {} } CC { y = 1 } }", "tools {\n  cc {\n    y = 1\n  }\n}\n"},
        {"tools { cc { y = 1 } CC /* c */ { x = { } } /* c */ }", "tools {\n  cc { x = { } }\n}\n"},
    };
    for (const Case& c : cases) {
        const Rilk::RegistryEntries entries = Rilk::readRegistryText(c.text, kFile);
        const std::string rewritten = Rilk::registryFileText(entries, kFile);
        EXPECT_EQ(rewritten, c.rewritten) << c.text;
        const Rilk::RegistryEntries readBack = Rilk::readRegistryText(rewritten, kFile);
        EXPECT_TRUE(
            Rilk::sameTemplate(readBack.toolDefinitions.at("cc"), entries.toolDefinitions.at("cc")))
            << c.text;
    }
    // A tool given another template is written in the registry's own form.
    Rilk::RegistryEntries entries = Rilk::readRegistryText(kept, kFile);
    entries.toolDefinitions["CC"] = gccTool();
    EXPECT_EQ(Rilk::registryFileText(entries, kFile),
              "tools {\n  cc {\n    tool_type = \"gnu-gcc\"\n    arch = \"x86_64\"\n  }\n}\n");
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
