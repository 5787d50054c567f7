// Resolution of string and path-string values: reference expansion, cross expansion and
// path globbing.

#include <filesystem>
#include <string>
#include <vector>

#include "types/expander.h"
#include "types/path_glob.h"
#include "types/plain_path.h"
#include "types/resolution_limits.h"
#include "types/rilk_errors.h"
#include "types/rilk_list.h"
#include "types/rilk_path_string.h"
#include "types/rilk_string.h"
#include "types/value_cast.h"

namespace Rilk {

namespace fs = std::filesystem;

namespace {

/// Whether a text holds no "$" and no "#" (no reference, group or marker) and is not
/// longer than a text may be.
bool holdsNothingToExpand(const std::string& chars) {
    // Most texts are short words ("unix", "7"): one look at each byte beats two calls.
    if (chars.size() <= 16) {
        for (const char c : chars) {
            if (c == '$' || c == '#') return false;
        }
        return true;
    }
    // Two scans for one byte each: far cheaper than one scan for either of two bytes.
    return chars.find('$') == std::string::npos && chars.find('#') == std::string::npos &&
           chars.size() <= ResolutionLimits::maxTextBytes;
}

/// Marks the texts of a cross expansion's result literal (see `RilkString::resolveString`).
void markResolvedTexts(RilkValue& result) {
    if (auto* list = valueCast<RilkList>(&result)) {
        for (const RilkValuePtr& element : list->elements()) {
            if (element) markResolvedTexts(*element);
        }
    } else if (auto* string = valueCast<RilkBaseString>(&result)) {
        string->markLiteral();
    }
}

}  // namespace

bool RilkString::isPlainText() const {
    if (plainness_ == Plainness::Unknown) {
        const bool plain = isLiteral() || holdsNothingToExpand(text());
        plainness_ = plain ? Plainness::Plain : Plainness::NotPlain;
    }
    return plainness_ == Plainness::Plain;
}

RilkValuePtr RilkString::resolve() { return resolveString(false); }

RilkValuePtr RilkString::resolveInPlace() { return resolveString(true); }

RilkValuePtr RilkString::resolveString(bool inPlace) {
    // Without a reference ("${") or a cross expansion group or marker ("#"), the text
    // resolves to itself; most texts of a build are like that.
    if (isPlainText()) {
        // A shared text never changes in place (appending copies it), so it can stand for
        // its own resolved form; any other gets a value of its own.
        if (isShared()) return shared_from_this();
        if (inPlace) return becomeResolved();
        return clone();
    }
    Expander::NameSet expanding;
    std::string single;
    RilkValuePtr result = Expander::crossExpand(text(), *this, expanding, 1, single);
    // What a resolution gives is final: text it inserted (a found name holding "${", a
    // value's "#{" text) is never expanded again, by this target or by its dependants. A
    // path's text is globbed next, so only a string's own text is marked.
    const bool markSelf = kind() == ValueKind::String;
    if (result) {
        markResolvedTexts(*result);
        setText(result->toString());
        if (markSelf) markLiteral();
        return result;
    }
    if (inPlace) {
        setText(std::move(single));
        if (markSelf) markLiteral();
        return becomeResolved();
    }
    setText(single);
    if (markSelf) markLiteral();
    return makeLiteralString(std::move(single));
}

RilkValuePtr RilkString::becomeResolved() {
    Resolvable::setResolver(nullptr);
    return nullptr;
}

namespace {

/// The base directory joined with the text, refusing a NUL byte, at which the system
/// would cut the path.
std::string fullPathOf(const std::string& text, const fs::path& baseDirectory) {
    if (text.find('\0') != std::string::npos) {
        throw RilkException("Path holds a NUL byte: '" + printablePath(text) + "'");
    }
    return joinedPathText(baseDirectory.native(), text);
}

/// The paths a text names: the glob matches of its full path, or the path itself when
/// nothing matches.
void collectPaths(const std::string& text, const fs::path& baseDirectory,
                  std::vector<std::string>& out) {
    std::string full = fullPathOf(text, baseDirectory);
    if (isPlainPath(full)) {
        out.push_back(std::move(full));
        return;
    }
    // The base directory is a directory rilk found: only the text is a pattern.
    const std::vector<fs::path> matches = expandPathGlob(baseDirectory, text);
    if (matches.empty()) out.push_back(std::move(full));
    for (const fs::path& match : matches) out.push_back(match.native());
}

/// A resolved path: its full path, without base directory, taken literally from now on
/// (resolving it again neither expands nor globs it).
RilkValuePtr makeResolvedPath(std::string full) {
    auto path =
        std::make_shared<RilkPathString>(std::move(full), RilkPathString::SharedDirectory());
    path->markLiteral();
    return path;
}

}  // namespace

RilkValuePtr RilkPathString::resolve() { return resolvePath(false); }

RilkValuePtr RilkPathString::resolveInPlace() { return resolvePath(true); }

RilkValuePtr RilkPathString::resolvePath(bool inPlace) {
    // The common case, one plain path, without the intermediate values of the general way.
    if (isPlainText()) {
        std::string full = fullPathOf(text(), baseDirectory());
        if (isLiteral() || isPlainPath(full)) return resolvedTo(std::move(full), inPlace);
    }
    const RilkValuePtr expanded = RilkString::resolve();
    std::vector<std::string> paths;
    if (const auto* list = valueCast<const RilkList>(expanded.get())) {
        for (const RilkValuePtr& element : list->elements()) {
            collectPaths(element->toString(), baseDirectory(), paths);
        }
    } else {
        collectPaths(expanded->toString(), baseDirectory(), paths);
    }
    if (paths.size() == 1) return resolvedTo(std::move(paths.front()), inPlace);
    std::vector<RilkValuePtr> elements;
    elements.reserve(paths.size());
    for (std::string& path : paths) elements.push_back(makeResolvedPath(std::move(path)));
    return std::make_shared<RilkList>(std::move(elements));
}

RilkValuePtr RilkPathString::resolvedTo(std::string full, bool inPlace) {
    // Without a base directory (or for an absolute text) the text is its full path already.
    if (inPlace) {
        if (full != text()) setText(std::move(full));
        baseDirectory_ = nullptr;
        markLiteral();
        return becomeResolved();
    }
    if (full != text()) setText(full);
    return makeResolvedPath(std::move(full));
}

}  // namespace Rilk
