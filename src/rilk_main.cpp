#include <exception>

#include "app/rilk_app.h"
#include "app/rilk_error_report.h"
#include "util/logger.h"

int main(int argc, char** argv) {
    RilkApplication app;
    std::set_terminate(Rilk::terminateHandler);
    return runReportingErrors([&] { return app.run(argc, argv); });
}
