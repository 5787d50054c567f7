#include "util/quoted_start.h"

namespace Util {

std::string quotedStart(std::string_view text, std::size_t maxCharacters) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool continues = (static_cast<unsigned char>(text[i]) & 0xc0) == 0x80;
        if (continues || characters++ < maxCharacters) continue;
        return std::string(text.substr(0, i)) + "...";
    }
    return std::string(text);
}

}  // namespace Util
