#include "util/ci_find.h"

#include <cctype>
#include <cstring>

namespace Util {

namespace {

bool foldedEqual(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
}

}  // namespace

std::size_t ciFind(const std::string& haystack, const char* needle, std::size_t start) {
    const std::size_t needleLength = std::strlen(needle);
    if (start > haystack.size()) return std::string::npos;
    if (needleLength == 0 || start == haystack.size()) {
        return start < haystack.size() ? start : std::string::npos;
    }
    for (std::size_t at = start; at + needleLength <= haystack.size(); ++at) {
        std::size_t i = 0;
        while (i < needleLength && foldedEqual(haystack[at + i], needle[i])) ++i;
        if (i == needleLength) return at;
    }
    return std::string::npos;
}

}  // namespace Util
