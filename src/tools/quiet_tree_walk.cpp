#include "tools/quiet_tree_walk.h"

#include <system_error>

namespace Rilk {

namespace fs = std::filesystem;

bool walkTreeQuietly(const fs::path& root,
                     const std::function<void(const fs::directory_entry&)>& visit) {
    std::error_code error;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) visit(*it);
    return !error;
}

}  // namespace Rilk
