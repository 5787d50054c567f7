#include "app/driver/command_line.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <fmt/format.h>

#include "app/driver/usage_text.h"
#include "util/ci_string.h"
#include "util/logger.h"
#include "util/shown_text.h"

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
    void advance() {
        ++index_;
        attached_.reset();
    }
    /// The number written onto the current switch ("-j8", "--jobs=8"), if any.
    const std::optional<std::string>& attached() const { return attached_; }
    void attach(std::string text) { attached_ = std::move(text); }
    /// The item after the current one, or nullptr when the current one is the last.
    const char* next() const { return index_ + 1 < argc_ ? argv_[index_ + 1] : nullptr; }
    /// Moves onto the next item and returns it; only when `next` is not null.
    std::string consumeNext() { return argv_[++index_]; }

private:
    int argc_;
    char** argv_;
    int index_ = 1;
    std::optional<std::string> attached_;
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

bool isDigit(char c) { return c >= '0' && c <= '9'; }

/// The number that `text` starts with ("12abc" is 12). Anything else, or a number past
/// the largest `int`, is refused naming the option and the range it accepts.
int leadingNumber(std::string_view option, const std::string& text) {
    constexpr std::int64_t kLargest = std::numeric_limits<int>::max();
    std::int64_t number = 0;
    std::size_t length = 0;
    for (; length < text.size() && isDigit(text[length]); ++length) {
        number = number * 10 + (text[length] - '0');
        if (number > kLargest) break;
    }
    if (length == 0 || number > kLargest) {
        throw std::invalid_argument(
            fmt::format("Option '-{}' needs a number from 0 to {}, not '{}'.", option, kLargest,
                        Util::quotedStart(text)));
    }
    return static_cast<int>(number);
}

/// The optional number of -v or -j: written onto the switch ("-j8", "--jobs=8"), or the
/// next item when that starts with a digit.
std::optional<int> optionalNumber(std::string_view option, ItemCursor& items) {
    if (items.attached()) return leadingNumber(option, *items.attached());
    const char* next = items.next();
    if (next == nullptr || !isDigit(*next)) return std::nullopt;
    return leadingNumber(option, items.consumeNext());
}

void setVerbosity(RunOptions& options, int level) {
    options.verbosity = level;
    Rilk::verbosity = level;
}

/// Prints the usage and ends the process: with 1 and the reason when standard output did
/// not take it, as every other listing does.
[[noreturn]] void printUsageAndExit() {
    Rilk::log(Rilk::LogLevel::Info, "{}", kUsageText);
    std::exit(Rilk::finishConsole(0));
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
         setVerbosity(options, optionalNumber("v", items).value_or(3));
     }},
    {"j", "jobs",
     [](RunOptions& options, ItemCursor& items) {
         const int hardware = static_cast<int>(std::thread::hardware_concurrency());
         options.jobs = optionalNumber("j", items).value_or(std::max(hardware, 1));
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

bool takesNumber(std::string_view name) {
    return Util::CiString::equal(name, "v") || Util::CiString::equal(name, "verbose") ||
           Util::CiString::equal(name, "j") || Util::CiString::equal(name, "jobs");
}

/// Splits a number written onto -v or -j off the switch name: "j8" and "jobs=8" leave "j"
/// and "jobs" and attach "8" to the cursor. Any other name is left as it is.
std::string_view detachNumber(std::string_view name, ItemCursor& items) {
    if (const std::size_t equals = name.find('='); equals != std::string_view::npos) {
        if (!takesNumber(name.substr(0, equals))) return name;
        items.attach(std::string(name.substr(equals + 1)));
        return name.substr(0, equals);
    }
    if (name.size() > 1 && isDigit(name[1]) && takesNumber(name.substr(0, 1))) {
        items.attach(std::string(name.substr(1)));
        return name.substr(0, 1);
    }
    return name;
}

}  // namespace

RunOptions parseCommandLine(int argc, char** argv) {
    RunOptions options;
    std::vector<std::string> unknown;
    for (ItemCursor items(argc, argv); !items.atEnd(); items.advance()) {
        const std::string_view item = items.current();
        if (item.empty() || item.front() != '-') {
            options.load.positionalItems.emplace_back(item);
            continue;
        }
        const std::string_view name = detachNumber(switchName(item), items);
        bool known = false;
        for (const Switch& s : kSwitches) {
            if (!isNamed(s, name)) continue;
            known = true;
            s.apply(options, items);
        }
        if (!known) unknown.emplace_back(item);
    }
    // A name that matches no switch, the empty one included, is ignored, so that scripts
    // keep working; told once all switches are read, at the verbosity they ask for.
    for (const std::string& item : unknown) {
        Rilk::log(Rilk::LogLevel::Warning, "Ignoring unknown option '{}'.\n",
                  Util::quotedStart(item));
    }
    if (runMode(options) == RunMode::FindCompilers && !options.load.positionalItems.empty()) {
        throw std::invalid_argument(fmt::format(
            "Option '--find-compilers' takes no argument, but '{}' was given: it always "
            "searches /usr/bin, /usr/local/bin, /opt/rh and /opt.",
            Util::quotedStart(options.load.positionalItems.front())));
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
