#pragma once

#include <string>
#include <vector>

#include "rilk_app.h"

namespace RilkTest {

/// Parses the items as the command line of `rilk` (the program name is added in front).
inline void parseCommandLine(RilkApplication& app, std::vector<std::string> items) {
    items.insert(items.begin(), "rilk");
    std::vector<char*> argv;
    for (std::string& item : items) argv.push_back(item.data());
    argv.push_back(nullptr);
    app.parseCommandLine(static_cast<int>(items.size()), argv.data());
}

}  // namespace RilkTest
