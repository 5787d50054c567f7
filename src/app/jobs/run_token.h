#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace Rilk {

/// The variable that carries the tokens of the build runs a process descends from to every
/// command they start (and, through their environment, to what those start): it shows later
/// which processes a run began. Its value is the tokens of the runs above, outermost first,
/// each followed by a blank-free word, separated by blanks.
inline constexpr const char* kRunTokenVariable = "RILK_RUN_TOKEN";

/// This run's own token, made on first use (random, 32 hexadecimal digits). Safe to call
/// from several threads.
const std::string& ownRunToken();

/// The value of `kRunTokenVariable` for the commands this run starts: the tokens this
/// process inherited (well-formed ones only, at most a bounded number of the innermost),
/// then its own.
std::string commandRunTokens(std::string_view inherited);

/// Gives the commands of `environment` ("NAME=value" entries, as this process inherited
/// them) the tokens of `commandRunTokens` in place of the inherited ones.
void giveRunTokens(std::vector<std::string>& environment);

/// Whether process `pid` carries `token` among the tokens of `kRunTokenVariable` in its
/// environment (which only the user's own processes show). False for an empty token.
bool carriesRunToken(pid_t pid, const std::string& token);

}  // namespace Rilk
