#include "app/jobs/command_input.h"

#include <fcntl.h>
#include <unistd.h>

namespace Rilk {

int addCommandInput(posix_spawn_file_actions_t& actions) {
    static const bool terminal = isatty(STDIN_FILENO) != 0;
    if (!terminal) return 0;
    return posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
}

}  // namespace Rilk
