#include "util/ci_find.h"

#include <cstring>
#include <string_view>

#include "util/ci_string.h"

namespace Util {

std::size_t ciFind(const std::string& haystack, const char* needle, std::size_t start) {
    const std::string_view wanted(needle, std::strlen(needle));
    if (start > haystack.size()) return std::string::npos;
    if (wanted.empty() || start == haystack.size()) {
        return start < haystack.size() ? start : std::string::npos;
    }
    const std::string_view text(haystack);
    for (std::size_t at = start; at + wanted.size() <= text.size(); ++at) {
        if (CiString::equal(text.substr(at, wanted.size()), wanted)) return at;
    }
    return std::string::npos;
}

}  // namespace Util
