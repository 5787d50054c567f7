#include "util/user_config_dir.h"

#include <cstdlib>
#include <stdexcept>

namespace Rilk {

std::filesystem::path getUserConfigDir() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') throw std::runtime_error("Unable to resolve HOME path.");
    std::filesystem::path directory = std::filesystem::path(home) / ".config" / "rilk";
    std::filesystem::create_directories(directory);
    return directory;
}

}  // namespace Rilk
