#pragma once

#include <string>
#include <vector>

#include "rilk_app.h"

namespace RilkTest {

/// Parses the items as the command line of `rilk` (the program name is added in front).
void parseCommandLine(RilkApplication& app, std::vector<std::string> items);

}  // namespace RilkTest
