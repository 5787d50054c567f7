#include <exception>

#include "util/logger.h"

int main(int /*argc*/, char** /*argv*/) {
    std::set_terminate(Rilk::terminateHandler);
    Rilk::log(5, "3.11.3.0\n");
    return 0;
}
