#pragma once

#include <string_view>

namespace Rilk {

/// The usage text `-h` prints, every line ended by a newline: every switch, with its long
/// name, as README.md lists them.
inline constexpr std::string_view kUsageText =
    "rilk [options] target? [assignment]*\n"
    "Options: \n"
    "  -l <unit>, --list-targets  list targets from unit (1 = main unit)\n"
    "  -u, --list-units           list units from project file\n"
    "  -p, --list-profiles        list profiles from project file\n"
    "  -v <num>, --verbose        verbosity level: messages of level num to 7 (default 5; -v "
    "alone: 3)\n"
    "  -j <num>, --jobs           jobs (thread count) for the work of one target; -j alone: one "
    "per core\n"
    "  -f <file>, --file          default rilk file override\n"
    "  -o <file>, --out           main target outputs\n"
    "  -d, --dump                 print each project's runtime context\n"
    "  -r, --register             register current project\n"
    "  -c, --cmdMode              read no unit file (no target can be built)\n"
    "  --find-compilers           detect and register default toolchains\n"
    "  --version                  print the version\n"
    "  --create-project           initialise project file\n"
    "  -h, --help                 print this text\n"
    "Switches ignore letter case and take one dash or two; a number may be written on: -j8, "
    "--jobs=8.\n";

}  // namespace Rilk
