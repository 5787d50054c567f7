#include "app/driver/held_locks.h"

#include <charconv>
#include <string_view>
#include <system_error>

#include <fmt/format.h>

namespace Rilk {

namespace {

/// Reads a number in `base` up to `end` (a character), consuming both; empty when there is
/// none there.
template <typename Number>
std::optional<Number> readNumber(std::string_view& text, int base, char end) {
    Number value{};
    const auto [at, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    const std::size_t used = static_cast<std::size_t>(at - text.data());
    if (error != std::errc() || used == 0 || used >= text.size() || text[used] != end) {
        return std::nullopt;
    }
    text.remove_prefix(used + 1);
    return value;
}

std::optional<HeldLock> readLine(std::string_view& text) {
    if (text.size() < 2 || (text[0] != 'o' && text[0] != 'i') || text[1] != ' ') {
        return std::nullopt;
    }
    HeldLock lock;
    lock.imported = text[0] == 'i';
    text.remove_prefix(2);
    const std::optional<std::uint64_t> token = readNumber<std::uint64_t>(text, 16, ' ');
    const std::optional<std::size_t> length = readNumber<std::size_t>(text, 10, ' ');
    if (!token || !length || *length == 0 || *length >= text.size() || text[*length] != '\n') {
        return std::nullopt;
    }
    lock.token = *token;
    lock.file = std::filesystem::path(std::string(text.substr(0, *length)));
    text.remove_prefix(*length + 1);
    if (!lock.file.is_absolute()) return std::nullopt;
    return lock;
}

}  // namespace

std::filesystem::path projectLockFile(const std::filesystem::path& root, int level) {
    std::filesystem::path file = root / kProjectLockFile;
    if (level > 0) file += "." + std::to_string(level);
    return file;
}

std::optional<int> projectLockLevel(const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    const std::string_view base = kProjectLockFile;
    if (name == base) return 0;
    if (!name.starts_with(base) || name.size() < base.size() + 2 || name[base.size()] != '.') {
        return std::nullopt;
    }
    std::string_view digits = std::string_view(name).substr(base.size() + 1);
    if (digits.front() == '0') return std::nullopt;
    int level = 0;
    const auto [at, error] = std::from_chars(digits.data(), digits.data() + digits.size(), level);
    if (error != std::errc() || at != digits.data() + digits.size() || level <= 0) {
        return std::nullopt;
    }
    return level;
}

std::string heldLocksText(const std::vector<HeldLock>& locks) {
    std::string text;
    for (const HeldLock& lock : locks) {
        const std::string& path = lock.file.native();
        text += fmt::format("{} {:x} {} {}\n", lock.imported ? 'i' : 'o', lock.token, path.size(),
                            path);
    }
    return text;
}

std::vector<HeldLock> parseHeldLocks(std::string_view text) {
    std::vector<HeldLock> locks;
    while (!text.empty()) {
        std::optional<HeldLock> lock = readLine(text);
        if (!lock) break;
        locks.push_back(std::move(*lock));
    }
    return locks;
}

}  // namespace Rilk
