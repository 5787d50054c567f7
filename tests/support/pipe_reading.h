#pragma once

#include <poll.h>

#include <string>

namespace RilkTest {

/// Reads what `poll` found ready on the two pipes of `fds` into the matching `texts`. A pipe
/// at its end is marked done (its descriptor in `fds` becomes -1) and `openPipes` counts it.
void readReadyPipes(pollfd (&fds)[2], std::string* const (&texts)[2], int& openPipes);

}  // namespace RilkTest
