// Resolution of string and path-string values: reference expansion, cross expansion and
// path globbing.

#include <filesystem>
#include <string>
#include <vector>

#include "types/expander.h"
#include "types/path_glob.h"
#include "types/rilk_errors.h"
#include "types/rilk_list.h"
#include "types/rilk_path_string.h"
#include "types/resolution_limits.h"
#include "types/rilk_string.h"
#include "types/value_cast.h"

namespace Rilk {

namespace fs = std::filesystem;

bool RilkString::isPlainText() const {
    if (text().size() > ResolutionLimits::maxTextBytes) return false;
    for (const char c : text()) {
        if (c == '$' || c == '#') return false;
    }
    return true;
}

RilkValuePtr RilkString::resolve() {
    // Without a reference ("${") or a cross expansion group or marker ("#"), the text
    // resolves to itself; most texts of a build are like that.
    if (isPlainText()) return makeString(text());
    Expander::NameSet expanding;
    RilkValuePtr result = Expander::crossExpand(text(), *this, expanding, 1);
    setText(result->toString());
    return result;
}

namespace {

/// The paths a text names: the glob matches of its full path, or the path itself when
/// nothing matches.
void collectPaths(const std::string& text, const fs::path& baseDirectory,
                  std::vector<std::string>& out) {
    if (text.find('\0') != std::string::npos) {
        throw RilkException("Path holds a NUL byte: '" + printablePath(text) + "'");
    }
    std::string full = joinedPathText(baseDirectory.native(), text);
    // A path without wildcards and without doubled separators (which the glob walk would
    // fold) names itself.
    if (!isWildPattern(full) && full.find("//") == std::string::npos) {
        out.push_back(std::move(full));
        return;
    }
    const std::vector<fs::path> matches = expandPathGlob(full);
    if (matches.empty()) out.push_back(std::move(full));
    for (const fs::path& match : matches) out.push_back(match.native());
}

}  // namespace

RilkValuePtr RilkPathString::resolve() {
    const RilkValuePtr expanded = RilkString::resolve();
    std::vector<std::string> paths;
    if (const auto* list = valueCast<const RilkList>(expanded.get())) {
        for (const RilkValuePtr& element : list->elements()) {
            collectPaths(element->toString(), baseDirectory(), paths);
        }
    } else {
        collectPaths(expanded->toString(), baseDirectory(), paths);
    }
    if (paths.size() == 1) {
        setText(paths.front());
        return makePathString(std::move(paths.front()), {});
    }
    std::vector<RilkValuePtr> elements;
    elements.reserve(paths.size());
    for (std::string& path : paths) elements.push_back(makePathString(std::move(path), {}));
    return std::make_shared<RilkList>(std::move(elements));
}

}  // namespace Rilk
