#include "app/driver/output_file.h"

#include <stdexcept>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "types/rilk_path_string.h"
#include "types/types_test_support.h"

namespace {

void add(Rilk::Context& context, const std::string& name, const Rilk::RilkValuePtr& value) {
    context.addAssignment(
        Rilk::Assignment(name, value, Rilk::AssignType::Set, Rilk::AssignModifier::Up),
        Rilk::kKeepModifier);
}

TEST(OutputFile, OneLinePerVariableWithValueInNameOrder) {
    Rilk::Context outputs;
    add(outputs, "b", RilkTest::str("text"));
    add(outputs, "A", RilkTest::num(3));
    add(outputs, "none", nullptr);
    add(outputs, "list", RilkTest::strings({"x", "y"}));
    add(outputs, "path", Rilk::makePathString("out/app", "/root"));
    EXPECT_EQ(Rilk::outputFileText(outputs),
              "A = 3\nb = \"text\"\nlist = [ \"x\", \"y\" ]\npath = P\"/root/out/app\"\n");
}

TEST(OutputFile, FailsNamingTheFileItCannotWrite) {
    RilkTest::TempDir dir;
    const auto file = dir.path() / "missing" / "out.txt";
    std::string error;
    try {
        Rilk::writeOutputFile(file, Rilk::Context());
    } catch (const std::runtime_error& failure) {
        error = failure.what();
    }
    EXPECT_NE(error.find(file.string()), std::string::npos) << error;
}

}  // namespace
