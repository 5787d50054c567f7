#include <gmock/gmock.h>

#include <filesystem>
#include <functional>

#include "support/temp_dir.h"
#include "types/resolution_limits.h"
#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;

namespace {

/// What can be seen of a resolved variable: its value's type, display text, base directory
/// and resolver, and the text the original value was left with (when it can be seen).
std::string outcome(const RilkValuePtr& value) {
    if (!value) return "null";
    std::string seen = std::string(value->typeName()) + " " + value->toDisplayString();
    if (const auto* path = dynamic_cast<const RilkPathString*>(value.get())) {
        seen += " base=" + path->baseDirectory().string();
    }
    if (const auto* resolvable = dynamic_cast<const Resolvable*>(value.get())) {
        seen += resolvable->resolver() ? " bound" : " unbound";
    }
    return seen;
}

}  // namespace

// A string that only its variable holds becomes its own resolved form; one that something
// else holds too gets a new value. Both must look the same.
TEST(InPlaceResolution, ASolelyHeldStringResolvesLikeASharedOne) {
    TempDir dir;
    dir.write("src/a.c", "");
    const std::string root = dir.path().string();
    const std::pair<std::string, bool> cases[] = {
        {"plain", false},    {"a ${x} b", false}, {"${x}${x}", false}, {"#{list}.o", false},
        {"#{one}", false},   {"", false},         {"src/a.c", true},   {"src/${x}.c", true},
        {"src/*.c", true},   {"/abs/p", true},    {"src/*.none", true}, {"#{list}.c", true},
        {"a//b", true},      {"", true}};
    for (const auto& [text, isPath] : cases) {
        const auto make = [&]() -> RilkValuePtr {
            if (isPath) return makePathString(text, root);
            return str(text);
        };
        Context vars;
        set(vars, "x", str("X"));
        set(vars, "list", strings({"p", "q"}));
        set(vars, "one", strings({"only"}));
        const RilkValuePtr kept = make();
        RilkValuePtr sole = make();
        // Watching does not hold: the value stays solely held by its variable.
        const std::weak_ptr<RilkValue> watched = sole;
        set(vars, "sole", std::move(sole));
        set(vars, "kept", kept);
        EXPECT_EQ(outcome(vars.resolve(ident("sole"))), outcome(vars.resolve(ident("kept"))))
            << text;
        EXPECT_EQ(outcome(vars.getVariable("sole")), outcome(vars.getVariable("kept"))) << text;
        // Where the original outlives its resolution, it holds the same text as the other.
        if (const RilkValuePtr original = watched.lock()) {
            EXPECT_EQ(original->toString(), kept->toString()) << text;
        }
    }
}

// A string shared between contexts resolves through its variable as it resolves alone.
TEST(InPlaceResolution, ASharedStringResolvesAsItsOwnResolve) {
    for (const std::string text : {"plain", "a ${x} b", "#{list}.o", "", "$", "#"}) {
        Context vars;
        set(vars, "x", str("X"));
        set(vars, "list", strings({"p", "q"}));
        const auto stored = str(text);
        const auto alone = str(text);
        stored->markShared();
        alone->markShared();
        alone->setResolver(&vars);
        set(vars, "shared", stored);
        const RilkValuePtr viaVariable = vars.resolve(ident("shared"));
        const RilkValuePtr aloneResult = alone->resolve();
        // The same value comes back exactly where resolving alone gives the value itself.
        EXPECT_EQ(viaVariable == stored, aloneResult == alone) << text;
        EXPECT_EQ(outcome(viaVariable), outcome(aloneResult)) << text;
    }
}

// A shared plain string skips the loop guard, but not the bound on variables resolving
// through each other: at the end of a chain it fails, or not, as any other value does.
TEST(InPlaceResolution, ASharedPlainStringKeepsTheBoundOnResolvingVariables) {
    for (const int length : {999, 1000}) {
        std::string outcomes[2];
        for (const bool shared : {false, true}) {
            Context vars;
            for (int i = 0; i < length; ++i) {
                set(vars, "v" + std::to_string(i), str("${v" + std::to_string(i + 1) + "}"));
            }
            const auto end = str("end");
            if (shared) end->markShared();
            set(vars, "v" + std::to_string(length), end);
            std::string value;
            const std::string error =
                errorText<LimitExceeded>([&] { value = outcome(vars.resolve(ident("v0"))); });
            outcomes[shared] = error + "|" + value;
        }
        EXPECT_EQ(outcomes[0], outcomes[1]) << length;
        EXPECT_EQ(outcomes[0].find("no error") == 0, length == 999) << outcomes[0];
    }
}

// Whether a text is plain is remembered; every change of the text must forget it.
TEST(InPlaceResolution, PlainnessFollowsEveryChangeOfTheText) {
    const auto value = str("plain");
    const std::pair<std::function<void()>, bool> steps[] = {
        {[] {}, true},
        {[&] { value->append(*str("${x}")); }, false},
        {[&] { value->setText("again plain"); }, true},
        {[&] { value->append(*num(1)); }, true},
        {[&] { value->setText("#1"); }, false},
        {[&] { value->setText(std::string(17, 'a')); }, true},
        {[&] { value->append(*strings({"$"})); }, false},
    };
    for (const auto& [change, plain] : steps) {
        change();
        EXPECT_EQ(value->isPlainText(), plain) << value->text();
        EXPECT_EQ(str(value->text())->isPlainText(), plain) << value->text();
    }
}
