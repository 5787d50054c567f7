#include "support/pipe_reading.h"

#include <unistd.h>

namespace RilkTest {

void readReadyPipes(pollfd (&fds)[2], std::string* const (&texts)[2], int& openPipes) {
    char buffer[4096];
    for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0 || fds[i].revents == 0) continue;
        const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
        if (n > 0) {
            texts[i]->append(buffer, static_cast<std::size_t>(n));
        } else {
            fds[i].fd = -1;
            --openPipes;
        }
    }
}

}  // namespace RilkTest
