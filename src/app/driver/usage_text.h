#pragma once

#include <string_view>

namespace Rilk {

/// The usage text `-h` prints, every line ended by a newline. It does not list -c, -d and
/// -h, which are accepted all the same.
inline constexpr std::string_view kUsageText =
    "rilk [options] target? [assignment]*\n"
    "Options: \n"
    "  -l <unit>  list targets from unit (1 = main unit)\n"
    "  -u         list units from project file\n"
    "  -p         list profiles from project file\n"
    "  -v <num>   verbosity level\n"
    "  -j <num>   thread count\n"
    "  -f <file>  default rilk file override\n"
    "  -o <file>  main target outputs\n"
    "  -r         register current project\n"
    "  --find-compilers   detect and register default toolchains\n"
    "  --version\n"
    "  --create-project     initialise project file\n";

}  // namespace Rilk
