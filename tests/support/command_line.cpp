#include "support/command_line.h"

namespace RilkTest {

void parseCommandLine(RilkApplication& app, std::vector<std::string> items) {
    items.insert(items.begin(), "rilk");
    std::vector<char*> argv;
    for (std::string& item : items) argv.push_back(item.data());
    argv.push_back(nullptr);
    app.parseCommandLine(static_cast<int>(items.size()), argv.data());
}

}  // namespace RilkTest
