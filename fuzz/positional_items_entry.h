#pragma once

#include <cstddef>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/load/positional_items.h"
#include "app/load/workspace.h"
#include "every_entry.h"
#include "types/rilk_errors.h"

namespace RilkFuzz {

/// Writes the project the items are read against into `directory`: project "demo" with
/// the units "core" (targets build, test and dev) and "extra" (target other), and the
/// profiles dev and release. "dev" is both a target and a profile.
inline void makeItemsProject(const std::filesystem::path& directory) {
    namespace fs = std::filesystem;
    fs::create_directories(directory / "extra");
    std::ofstream(directory / ".rilk_project.txt")
        << "name demo\nunits { core { \"rilk.txt\" } extra { \"extra/rilk.txt\" } }\n"
           "profiles { dev { opt = 0 } release { opt = 2 } }\n";
    std::ofstream(directory / "rilk.txt") << "unit core\nbuild: { }\ntest: { }\ndev: { }\n";
    std::ofstream(directory / "extra/rilk.txt") << "unit extra\nother: { }\n";
}

/// The command-line items of `bytes`: one per line, at most 16 of them.
inline std::vector<std::string> itemsOf(const std::string& bytes) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= bytes.size() && items.size() < 16) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        items.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

/// Loads the project in `directory` with `bytes` as its positional items, as a run does:
/// the profile an item names is selected while the project loads, then the units are
/// loaded and the items sorted into target, profile and assignments. The errors a run
/// reports for bad items are caught; the outcome is rendered as a run would log it.
inline void applyPositionalItems(const std::string& bytes, const std::filesystem::path& directory) {
    {
        Rilk::ParseChain empty("", "fuzz.txt");
        forgetPredictions(empty);
    }
    Rilk::Workspace app;
    Rilk::LoadOptions options;
    app.projectFile = directory / ".rilk_project.txt";
    app.projectRoot = directory;
    options.positionalItems = itemsOf(bytes);
    try {
        Rilk::loadMainProject(app, options, nullptr);
        Rilk::loadMainUnits(app, options);
        Rilk::handlePositionalItems(app, options);
        (void)app.mainTarget.toString();
        for (const auto& [name, assignment] : app.commandLineContext.assignments) {
            (void)assignment.toString();
        }
    } catch (const std::exception&) {
    } catch (const Rilk::RilkException&) {
    } catch (const Rilk::ParseError&) {
    }
}

}  // namespace RilkFuzz
