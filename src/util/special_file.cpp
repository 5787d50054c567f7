#include "util/special_file.h"

#include <system_error>

namespace Util {

void removeSpecialFile(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_type type = fs::status(path, error).type();
    if (error || type == fs::file_type::not_found || type == fs::file_type::regular ||
        type == fs::file_type::directory) {
        return;
    }
    fs::remove(path, error);
}

}  // namespace Util
