#include "types/rilk_path_string.h"
#include "types/value_cast.h"

#include <system_error>

namespace Rilk {

const std::filesystem::path& RilkPathString::noDirectory() {
    static const std::filesystem::path none;
    return none;
}

RilkPathString::SharedDirectory RilkPathString::shareDirectory(
    const std::filesystem::path& directory) {
    if (directory.empty()) return nullptr;
    thread_local SharedDirectory last;
    if (!last || last->native() != directory.native()) {
        last = std::make_shared<const std::filesystem::path>(directory);
    }
    return last;
}

std::string RilkPathString::toDisplayString() const {
    const std::string shown = baseDirectory().empty() ? text() : fullPathText();
    return "P\"" + shown + "\"";
}

bool RilkPathString::equals(const RilkValue& other) const {
    const auto* path = valueCast<const RilkPathString>(&other);
    if (!path) return RilkString::equals(other);
    // Any error, a missing file included, means the two do not name the same file; so does
    // a NUL byte, at which the system would cut the path.
    if (text().find('\0') != std::string::npos || path->text().find('\0') != std::string::npos) {
        return false;
    }
    std::error_code error;
    return std::filesystem::equivalent(fullPath(), path->fullPath(), error) && !error;
}

std::shared_ptr<RilkBaseString> RilkPathString::createSame(std::string text) const {
    return std::make_shared<RilkPathString>(std::move(text), baseDirectory_);
}

JoinedPath joinPath(const std::string& base, const std::string& text) {
    if (base.empty() || (!text.empty() && text.front() == '/')) return {{}, false, text};
    return {base, base.back() != '/', text};
}

std::string joinedPathText(const std::string& base, const std::string& text) {
    std::string joined;
    assignJoinedPath(joined, joinPath(base, text));
    return joined;
}

void assignJoinedPath(std::string& out, const JoinedPath& path) {
    out.clear();
    out.reserve(path.base.size() + 1 + path.text.size());
    out += path.base;
    if (path.separator) out += '/';
    out += path.text;
}

std::shared_ptr<RilkPathString> makePathString(std::string text,
                                               const std::filesystem::path& baseDirectory) {
    return std::make_shared<RilkPathString>(std::move(text), baseDirectory);
}

}  // namespace Rilk
