#include "app/jobs/leftover_commands.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <thread>

#include "app/jobs/command_groups.h"
#include "app/jobs/run_token.h"
#include "util/process_table.h"

namespace Rilk {

std::size_t endLeftoverCommands(std::chrono::milliseconds grace,
                                std::chrono::milliseconds killLimit) {
    const pid_t session = ::getsid(0);
    if (session <= 0) return 0;
    const RunProof proof{{}, ownRunToken(), session, ownGroups()};
    const auto carriesToken = [&](pid_t pid) { return carriesRunToken(pid, proof.token); };
    std::set<pid_t> groups = provenGroups(proof, Util::allProcesses(), carriesToken);
    const std::size_t found = groups.size();
    if (found == 0) return 0;
    for (const pid_t group : groups) {
        ::kill(-group, SIGTERM);
        ::kill(-group, SIGCONT);  // a stopped process ends only once it runs
    }
    const auto deadline = std::chrono::steady_clock::now() + grace;
    auto pause = std::chrono::milliseconds(2);
    while (!groups.empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
        groups = provenGroups(proof, Util::allProcesses(), carriesToken);
    }
    if (!groups.empty()) {
        // Found afresh each round: a group that emptied may have been given to another.
        const ProcessAccess access{Util::allProcesses, carriesToken,
                                   [](pid_t group) { ::kill(-group, SIGKILL); }};
        endProvenGroups(proof, access, killLimit);
    }
    return found;
}

}  // namespace Rilk
