#include <gtest/gtest.h>

#include <string>

#include "types/plain_path.h"

using namespace Rilk;

namespace {

bool plainByDefinition(const std::string& path) {
    return path.find_first_of("*?") == std::string::npos && path.find("//") == std::string::npos;
}

}  // namespace

// The check reads eight bytes at a time: every byte of interest is put at every position of
// texts up to three words long, so that it lands at each place in a word and across the
// border of two words.
TEST(PlainPath, AgreesWithTheDefinitionAtEveryPosition) {
    const std::string fillers[] = {"abcdefghijklmnopqrstuvwx", "a/b/c/d/e/f/g/h/i/j/k/l/",
                                   "\x80\xff\x7f.>=@\xc3\xa9/x-_+;:!\"%&'()", "/x/y/z/"};
    const std::string inserts[] = {"*", "?", "/", "//", "?*", "\x2f\xaf", std::string(1, '\0')};
    for (const std::string& filler : fillers) {
        for (std::size_t length = 0; length <= filler.size(); ++length) {
            const std::string base = filler.substr(0, length);
            EXPECT_EQ(isPlainPath(base), plainByDefinition(base)) << base;
            for (const std::string& insert : inserts) {
                for (std::size_t at = 0; at <= length; ++at) {
                    std::string path = base;
                    path.insert(at, insert);
                    EXPECT_EQ(isPlainPath(path), plainByDefinition(path)) << path;
                }
            }
        }
    }
}
