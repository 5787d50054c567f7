#include "util/mapped_copy.h"

#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "util/mapped_file.h"

namespace {

TEST(MappedCopy, ACopyOfBytesCutAwayFailsAndTheProcessGoesOn) {
    RilkTest::TempDir dir;
    const auto file = dir.write("mapped", std::string(3 * 4096, 'x'));
    auto mapped = Util::MappedFile::open(file);
    ASSERT_TRUE(mapped);
    const std::string_view bytes = mapped->bytes();
    std::string copy(bytes.size(), '\0');
    EXPECT_TRUE(Util::copyMappedBytes(copy.data(), bytes));
    EXPECT_EQ(copy, std::string(bytes.size(), 'x'));
    EXPECT_TRUE(mapped->unchanged());

    ASSERT_EQ(::truncate(file.c_str(), 10), 0);
    EXPECT_FALSE(mapped->unchanged());
    // Twice: the first failure leaves the guard ready for the next one.
    EXPECT_FALSE(Util::copyMappedBytes(copy.data(), bytes.substr(4096)));
    EXPECT_FALSE(Util::copyMappedBytes(copy.data(), bytes.substr(8192)));
    // Bytes still there are no copy to trust either once the mapping lost pages.
    EXPECT_FALSE(Util::copyMappedBytes(copy.data(), bytes.substr(0, 10)));
    // Bytes of no mapping are always whole.
    EXPECT_TRUE(Util::copyMappedBytes(copy.data(), "0123456789"));
}

}  // namespace
