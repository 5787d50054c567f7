#include "app/driver/listings.h"

#include <memory>

#include <gtest/gtest.h>

#include "support/run_process.h"
#include "util/logger.h"

namespace {

TEST(Listings, ShowsTheDefaultTargetInGreenWhateverTheThreshold) {
    auto unit = std::make_shared<Rilk::Unit>();
    for (const char* name : {"zeta", "alpha"}) {
        Rilk::Target target;
        target.name.target = name;
        unit->addTarget(std::move(target));
    }
    Rilk::UnitIndex index;
    index.addUnit("", "1", unit);
    const auto list = [&](int threshold) {
        return RilkTest::runInChild(
                   [&] {
                       Rilk::verbosity = threshold;
                       Rilk::listTargets(index, "", "1");
                   },
                   RilkTest::Console::Terminal)
            .out;
    };
    EXPECT_EQ(list(5), "\033[37malpha\n\033[0m\033[32mzeta\n\033[0m");
    EXPECT_EQ(list(7), "\033[32mzeta\n\033[0m");
}

}  // namespace
