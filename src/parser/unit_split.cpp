#include "parser/unit_split.h"

#include "parser/name_rules.h"

namespace Rilk {
namespace {

/// The first cut at or after `from`, or `npos`. The '}' of a lone-brace line is looked for
/// byte by byte with `find`, which skips the long stretches between target ends quickly.
std::size_t nextCut(std::string_view text, std::size_t from) {
    for (std::size_t brace = text.find('}', from); brace != std::string_view::npos;
         brace = text.find('}', brace + 1)) {
        if (brace != 0 && text[brace - 1] != '\n') continue;
        std::size_t lineEnd = brace + 1;
        if (lineEnd < text.size() && text[lineEnd] == '\r') ++lineEnd;
        if (lineEnd >= text.size() || text[lineEnd] != '\n') continue;
        const std::size_t cut = lineEnd + 1;
        if (cut < text.size() && isNameStart(text[cut])) return cut;
    }
    return std::string_view::npos;
}

}  // namespace

std::size_t nextUnitCut(std::string_view text, std::size_t from) { return nextCut(text, from); }

std::size_t nextTargetStart(std::string_view text, std::size_t from) {
    constexpr std::string_view kBlanks = " \t\r\n";
    for (std::size_t brace = text.find('}', from); brace != std::string_view::npos;
         brace = text.find('}', brace + 1)) {
        const std::size_t name = text.find_first_not_of(kBlanks, brace + 1);
        if (name == std::string_view::npos) return std::string_view::npos;
        if (!isNameStart(text[name])) continue;
        std::size_t after = name + 1;
        while (after < text.size() && isNameChar(text[after])) ++after;
        after = text.find_first_not_of(kBlanks, after);
        if (after == std::string_view::npos) return std::string_view::npos;
        const bool colon = text[after] == ':' && (after + 1 >= text.size() || text[after + 1] != ':');
        if (colon || text[after] == '[') return name;
    }
    return std::string_view::npos;
}

std::vector<std::size_t> unitCuts(std::string_view text, std::size_t parts) {
    std::vector<std::size_t> cuts;
    for (std::size_t part = 1; part < parts; ++part) {
        // Shares of one for the first range and two for each other one.
        std::size_t from = text.size() * (2 * part - 1) / (2 * parts - 1);
        if (!cuts.empty() && from <= cuts.back()) from = cuts.back() + 1;
        const std::size_t cut = nextCut(text, from);
        if (cut == std::string_view::npos) break;
        cuts.push_back(cut);
    }
    return cuts;
}

}  // namespace Rilk
