#include "tools/gnu/compile_only_flag.h"

#include <sstream>

namespace Rilk {

bool hasCompileOnlyFlag(const std::string& flags) {
    std::istringstream words(flags);
    for (std::string word; words >> word;) {
        if (word == "-c") return true;
    }
    return false;
}

}  // namespace Rilk
