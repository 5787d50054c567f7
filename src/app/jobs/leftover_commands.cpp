#include "app/jobs/leftover_commands.h"

#include <signal.h>
#include <unistd.h>

#include <set>

#include "app/jobs/command_groups.h"
#include "app/jobs/run_token.h"
#include "util/poll_until.h"

namespace Rilk {

std::size_t endLeftoverCommands(std::chrono::milliseconds grace,
                                std::chrono::milliseconds killLimit) {
    // 0 where the session's leader lies outside this PID namespace, as in a container: its
    // commands read 0 too, and what set up a session of its own still reads otherwise.
    const pid_t session = ::getsid(0);
    if (session < 0) return 0;
    const RunProof proof{{}, ownRunToken(), session, ownGroups()};
    const ProcessAccess access = systemProcessAccess(proof.token);
    std::set<pid_t> groups = provenGroups(proof, access.table(), access.carriesToken);
    const std::size_t found = groups.size();
    if (found == 0) return 0;
    for (const pid_t group : groups) {
        ::kill(-group, SIGTERM);
        ::kill(-group, SIGCONT);  // a stopped process ends only once it runs
    }
    // Found afresh each time: a group that emptied may have been given to another since.
    const bool ended = Util::pollUntil(std::chrono::steady_clock::now() + grace, [&] {
        return provenGroups(proof, access.table(), access.carriesToken).empty();
    });
    if (!ended) endProvenGroups(proof, access, killLimit);
    return found;
}

}  // namespace Rilk
