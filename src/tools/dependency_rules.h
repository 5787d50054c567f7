#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Rilk {

/// One rule of a make dependency file: the files it names as targets and as prerequisites,
/// with make's escapes undone.
struct DependencyRule {
    std::vector<std::string> targets;
    std::vector<std::string> prerequisites;

    bool operator==(const DependencyRule&) const = default;
};

/// The rules of a dependency file as compilers write it (`-MD`, `-MMD`): lines of
/// "targets: prerequisites", joined across backslash-newline continuations, words separated
/// by blanks and tabs. `$$` stands for `$`, `\#` for `#`, `\:` for `:`; backslashes before
/// a blank escape it as make reads them (2n+1 backslashes give n backslashes and a blank
/// inside the word, 2n give n backslashes and end the word); any other backslash is part of
/// the word. An unescaped `#` starts a comment. The first unescaped colon (or "::") of a
/// line ends its targets; later ones are part of prerequisites. Rules without prerequisites
/// (`-MP`) are kept. Nothing (a parse failure) for a line holding words but no colon, a
/// rule without targets, or a NUL byte.
std::optional<std::vector<DependencyRule>> parseDependencyRules(std::string_view text);

}  // namespace Rilk
