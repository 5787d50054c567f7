#include "app/jobs/run_token.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

#include "util/process_table.h"
#include "util/random_token.h"

namespace Rilk {

namespace {

/// How many inherited tokens a run passes on: more would only come from runs nested that
/// deep, and the environment must not grow without bound.
constexpr std::size_t kKeptTokens = 128;

/// The blank-separated words of `text`.
std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> found;
    while (!text.empty()) {
        const std::size_t start = text.find_first_not_of(' ');
        if (start == std::string_view::npos) break;
        text.remove_prefix(start);
        const std::size_t end = std::min(text.find(' '), text.size());
        found.push_back(text.substr(0, end));
        text.remove_prefix(end);
    }
    return found;
}

bool wellFormed(std::string_view token) {
    return token.size() == 32 && token.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

}  // namespace

const std::string& ownRunToken() {
    static const std::string token = Util::randomRunToken();
    return token;
}

std::string commandRunTokens(std::string_view inherited) {
    std::vector<std::string_view> kept;
    for (const std::string_view token : words(inherited)) {
        if (wellFormed(token)) kept.push_back(token);
    }
    const std::size_t first = kept.size() > kKeptTokens ? kept.size() - kKeptTokens : 0;
    std::string value;
    for (std::size_t i = first; i < kept.size(); ++i) {
        value += kept[i];
        value += ' ';
    }
    return value + ownRunToken();
}

void giveRunTokens(std::vector<std::string>& environment) {
    const std::string prefix = std::string(kRunTokenVariable) + "=";
    const auto inherited =
        std::find_if(environment.begin(), environment.end(),
                     [&](const std::string& entry) { return entry.starts_with(prefix); });
    if (inherited == environment.end()) {
        environment.push_back(prefix + commandRunTokens(""));
    } else {
        *inherited = prefix + commandRunTokens(std::string_view(*inherited).substr(prefix.size()));
    }
}

bool carriesRunToken(pid_t pid, const std::string& token) {
    if (token.empty()) return false;
    const std::optional<std::string> environment =
        Util::readProcessFile(pid, "environ", std::size_t{16} << 20);
    if (!environment) return false;
    const std::string_view name = kRunTokenVariable;
    std::string_view rest = *environment;
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\0'), rest.size());
        const std::string_view entry = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (entry.size() <= name.size() || !entry.starts_with(name) || entry[name.size()] != '=') {
            continue;
        }
        for (const std::string_view carried : words(entry.substr(name.size() + 1))) {
            if (carried == token) return true;
        }
    }
    return false;
}

}  // namespace Rilk
