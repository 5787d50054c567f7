#include <exception>

#include "app/rilk_app.h"
#include "app/rilk_error_report.h"
#include "app/user_cache_dir.h"
#include "tools/probe_cache.h"
#include "util/logger.h"

int main(int argc, char** argv) {
    RilkApplication app;
    std::set_terminate(Rilk::terminateHandler);
    Rilk::setProbeCacheDirectory(Rilk::getUserCacheDir());
    const int status = runReportingErrors([&] { return app.run(argc, argv); });
    // Once the run has ended no job thread is left, and failed runs keep their answers too.
    Rilk::saveProbeAnswers();
    return status;
}
