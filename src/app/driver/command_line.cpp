#include "app/driver/command_line.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "app/driver/usage_text.h"
#include "util/ci_string.h"
#include "util/logger.h"

namespace Rilk {
namespace {

/// The items after the program name, walked left to right. A switch that takes an
/// argument consumes the item after it, so that item is never read as a switch or a
/// positional item.
class ItemCursor {
public:
    ItemCursor(int argc, char** argv) : argc_(argc), argv_(argv) {}

    bool atEnd() const { return index_ >= argc_; }
    std::string_view current() const { return argv_[index_]; }
    void advance() { ++index_; }
    /// The item after the current one, or nullptr when the current one is the last.
    const char* next() const { return index_ + 1 < argc_ ? argv_[index_ + 1] : nullptr; }
    /// Moves onto the next item and returns it; only when `next` is not null.
    std::string consumeNext() { return argv_[++index_]; }

private:
    int argc_;
    char** argv_;
    int index_ = 1;
};

/// The argument of -f or -o: the next item, whatever it begins with. An empty item would
/// silently drop the request, so it counts as missing.
std::string requiredArgument(ItemCursor& items) {
    const char* next = items.next();
    if (next == nullptr || *next == '\0') throw std::runtime_error("unknown switch");
    return items.consumeNext();
}

/// The argument of -l: the next item, which must be a unit name, not another switch.
std::string requiredUnit(ItemCursor& items) {
    const char* next = items.next();
    if (next == nullptr || *next == '\0' || *next == '-') {
        throw std::invalid_argument("Option '-l' requires a unit.");
    }
    return items.consumeNext();
}

/// The optional number after -v or -j: taken only when the next item starts with a digit,
/// converted by its leading digits ("12abc" is 12); a number out of range throws.
std::optional<int> optionalNumber(ItemCursor& items) {
    const char* next = items.next();
    if (next == nullptr || *next < '0' || *next > '9') return std::nullopt;
    return std::stoi(items.consumeNext());
}

void setVerbosity(RunOptions& options, int level) {
    options.verbosity = level;
    Rilk::verbosity = level;
}

[[noreturn]] void printUsageAndExit() {
    Rilk::log(Rilk::LogLevel::Info, "{}", kUsageText);
    std::exit(0);
}

/// One switch: its short name (empty when it has only a long one), its long name and what
/// it records.
struct Switch {
    std::string_view shortName;
    std::string_view longName;
    void (*apply)(RunOptions& options, ItemCursor& items);
};

const Switch kSwitches[] = {
    {"c", "cmdMode",
     [](RunOptions& options, ItemCursor&) {
         options.load.cmdMode = true;
         options.load.unitFile.clear();
         options.load.unitFileMode = UnitFileMode::CommandLine;
     }},
    {"f", "file",
     [](RunOptions& options, ItemCursor& items) {
         options.load.unitFile =
             std::filesystem::absolute(requiredArgument(items)).lexically_normal();
         options.load.unitFileMode = UnitFileMode::File;
     }},
    {"", "version", [](RunOptions& options, ItemCursor&) { options.printVersion = true; }},
    {"v", "verbose",
     [](RunOptions& options, ItemCursor& items) {
         setVerbosity(options, optionalNumber(items).value_or(3));
     }},
    {"j", "jobs",
     [](RunOptions& options, ItemCursor& items) {
         const int hardware = static_cast<int>(std::thread::hardware_concurrency());
         options.jobs = optionalNumber(items).value_or(std::max(hardware, 1));
     }},
    {"o", "out",
     [](RunOptions& options, ItemCursor& items) { options.outFile = requiredArgument(items); }},
    {"d", "dump", [](RunOptions& options, ItemCursor&) { options.dump = true; }},
    {"l", "list-targets",
     [](RunOptions& options, ItemCursor& items) { options.listTargetsUnit = requiredUnit(items); }},
    {"u", "list-units", [](RunOptions& options, ItemCursor&) { options.listUnits = true; }},
    {"p", "list-profiles", [](RunOptions& options, ItemCursor&) { options.listProfiles = true; }},
    {"h", "help", [](RunOptions&, ItemCursor&) { printUsageAndExit(); }},
    {"", "create-project", [](RunOptions& options, ItemCursor&) { options.createProject = true; }},
    {"r", "register", [](RunOptions& options, ItemCursor&) { options.registerProject = true; }},
    {"", "find-compilers", [](RunOptions& options, ItemCursor&) { options.findCompilers = true; }},
};

/// The switch name of an item: without its first dash, and without a second one.
std::string_view switchName(std::string_view item) {
    item.remove_prefix(1);
    if (!item.empty() && item.front() == '-') item.remove_prefix(1);
    return item;
}

bool isNamed(const Switch& s, std::string_view name) {
    return (!s.shortName.empty() && Util::CiString::equal(s.shortName, name)) ||
           Util::CiString::equal(s.longName, name);
}

}  // namespace

RunOptions parseCommandLine(int argc, char** argv) {
    RunOptions options;
    for (ItemCursor items(argc, argv); !items.atEnd(); items.advance()) {
        const std::string_view item = items.current();
        if (item.empty() || item.front() != '-') {
            options.load.positionalItems.emplace_back(item);
            continue;
        }
        // A name that matches no switch, the empty one included, is ignored.
        const std::string_view name = switchName(item);
        for (const Switch& s : kSwitches) {
            if (isNamed(s, name)) s.apply(options, items);
        }
    }
    return options;
}

RunMode runMode(const RunOptions& options) {
    if (options.printVersion) return RunMode::PrintVersion;
    if (options.createProject) return RunMode::CreateProject;
    if (options.findCompilers) return RunMode::FindCompilers;
    if (options.registerProject) return RunMode::RegisterProject;
    if (!options.listTargetsUnit.empty()) return RunMode::ListTargets;
    if (options.listUnits) return RunMode::ListUnits;
    if (options.listProfiles) return RunMode::ListProfiles;
    return RunMode::Build;
}

}  // namespace Rilk
