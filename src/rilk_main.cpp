#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/driver/rilk_app.h"
#include "util/logger.h"

#ifdef RILK_WRITE_PROFILE
// Writes the execution profile of a training build (see cmake/ProfileGuided.cmake).
extern "C" void __gcov_dump(void);
#endif

int main(int argc, char** argv) {
    const int status = Rilk::finishConsole(Rilk::runRilk(argc, argv));
#ifdef RILK_TEAR_DOWN_AT_EXIT
    return status;
#else
    // The run's objects are left to the process: it ends without destructors.
    std::cerr.flush();
    std::fflush(nullptr);
#ifdef RILK_WRITE_PROFILE
    __gcov_dump();
#endif
    std::_Exit(status);
#endif
}
