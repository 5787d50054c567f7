#include "app/load/workspace.h"

#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

/// Records, at each point where the run joins the load, what the workspace holds then.
class RecordingListener : public Rilk::LoadListener {
public:
    explicit RecordingListener(bool goOn) : goOn_(goOn) {}

    void rootSettled(const Rilk::Workspace& workspace) override {
        steps += " root(" + state(workspace) + ")";
    }
    bool projectLoaded(const Rilk::Workspace& workspace) override {
        steps += " project(" + state(workspace) + ")";
        return goOn_;
    }
    void unitsAboutToLoad(const Rilk::Workspace& workspace) override {
        steps += " units(" + state(workspace) + ")";
    }

    static std::string state(const Rilk::Workspace& workspace) {
        return std::string(workspace.projectRoot.empty() ? "" : "R") +
               (workspace.implicitVariables.hasVariable("cwd") ? "V" : "") +
               (workspace.unitIndex.namespaces.empty() ? "" : "U");
    }

    std::string steps;

private:
    bool goOn_;
};

TEST(Workspace, TheRunJoinsTheLoadBetweenItsSteps) {
    RilkTest::TempDir dir;
    const struct {
        bool goOn;
        std::string steps, after, target;
    } cases[] = {
        {true, " root(R) project(R) units(RV)", "RVU", "cmd"},
        {false, " root(R) project(R)", "R", ""},
    };
    for (const auto& c : cases) {
        Rilk::LoadOptions options;
        options.unitFile = dir.write("rilk.txt", "unit app\nbuild: { }\ncmd: { }\n");
        options.unitFileMode = Rilk::UnitFileMode::File;
        options.positionalItems = {"cmd"};
        Rilk::Workspace workspace;
        RecordingListener listener(c.goOn);
        Rilk::loadWorkspace(workspace, options, nullptr, listener);
        EXPECT_EQ(listener.steps, c.steps) << c.goOn;
        EXPECT_EQ(RecordingListener::state(workspace), c.after) << c.goOn;
        EXPECT_EQ(workspace.projectRoot, dir.path()) << c.goOn;
        EXPECT_EQ(workspace.mainTarget.target, c.target) << c.goOn;
    }
}

}  // namespace
