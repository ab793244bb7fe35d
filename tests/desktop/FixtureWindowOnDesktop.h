#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "AtspiDesktop.h"

namespace plovik::testing {

// A fixture window of one toolkit on the shared desktop, for each test.
class FixtureWindowOnDesktop : public ::testing::TestWithParam<Toolkit> {
  protected:
    void SetUp() override {
        if (!fixtureBuilt(GetParam())) {
            GTEST_SKIP() << "the " << toolkitName(GetParam()) << " fixture was not built";
        }
        std::string whyNot;
        bool toolMissing = false;
        desktop_ = sharedDesktop(whyNot, toolMissing);
        if (!desktop_ && toolMissing) {
            GTEST_SKIP() << whyNot;
        }
        ASSERT_TRUE(desktop_) << whyNot;
        window_.emplace(desktop_->session, GetParam());
        ASSERT_TRUE(window_->waitUntilReady());
    }

    std::optional<AtspiObject> focusOn(fixture::Field field, const std::string& name) {
        window_->focus(field);
        return desktop_->waitForFocus(window_->pid(), name);
    }

    AtspiDesktop* desktop_ = nullptr;
    std::optional<FixtureWindow> window_;
};

}  // namespace plovik::testing
