#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>

#include "app/driver/rilk_app.h"
#include "app/driver/rilk_error_report.h"
#include "util/user_cache_dir.h"
#include "tools/probe_cache.h"
#include "util/logger.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define RILK_TEAR_DOWN_AT_EXIT 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define RILK_TEAR_DOWN_AT_EXIT 1
#endif
#endif

#ifdef RILK_WRITE_PROFILE
// Writes the execution profile of a training build (see cmake/ProfileGuided.cmake).
extern "C" void __gcov_dump(void);
#endif

int main(int argc, char** argv) {
    // Owned by the process: a large project's model, registry and build cache go back to
    // the system with it. Freeing them object by object would cost every run tens of
    // milliseconds; the sanitizer builds still free everything, so that their leak checks
    // see every object.
    auto* app = new RilkApplication;
    std::set_terminate(Rilk::terminateHandler);
    Rilk::setProbeCacheDirectory(Rilk::getUserCacheDir());
    const int status = runReportingErrors([&] { return app->run(argc, argv); });
    // Once the run has ended no job thread is left, and failed runs keep their answers too.
    Rilk::saveProbeAnswers();
#ifdef RILK_TEAR_DOWN_AT_EXIT
    delete app;
    return status;
#else
    Rilk::flushConsole();
    std::cerr.flush();
    std::fflush(nullptr);
#ifdef RILK_WRITE_PROFILE
    __gcov_dump();
#endif
    std::_Exit(status);
#endif
}
