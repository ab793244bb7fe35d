#include <gtest/gtest.h>

#include <string>

#include "core/decision/ApplicationPolicy.h"
#include "platform/simulated/SimulatedClock.h"

namespace plovik {
namespace {

using namespace std::chrono_literals;

EnabledApplication entry(const std::string& identifier, bool isEnabled, bool automatic, bool manual,
                         double threshold) {
    return EnabledApplication(identifier, identifier, std::nullopt, std::nullopt, isEnabled,
                              automatic, true, manual, threshold);
}

class ApplicationPolicyTest : public ::testing::Test {
  protected:
    ApplicationPolicyTest() {
        settings_.confidenceThreshold = 0.9;
        settings_.applications = {
            entry("org.gnome.TextEditor", true, true, true, 0.7),
            entry("manual.only", true, false, true, 0.8),
            entry("automatic.only", true, true, false, 0.85),
            entry("switched.off", false, true, true, 0.5),
        };
    }
    ApplicationPolicy policy() const { return ApplicationPolicy(settings_, clock_); }

    AppSettings settings_;
    SimulatedClock clock_;
};

TEST_F(ApplicationPolicyTest, FollowsEachEnabledEntryAndRefusesEverythingElse) {
    const auto p = policy();
    EXPECT_TRUE(p.allowsAutomaticCorrection("org.gnome.TextEditor"));
    EXPECT_TRUE(p.allowsManualCorrection("org.gnome.TextEditor"));
    EXPECT_FALSE(p.allowsAutomaticCorrection("manual.only"));
    EXPECT_TRUE(p.allowsManualCorrection("manual.only"));
    EXPECT_TRUE(p.allowsAutomaticCorrection("automatic.only"));
    EXPECT_FALSE(p.allowsManualCorrection("automatic.only"));
    for (const std::optional<std::string>& id :
         {std::optional<std::string>(), std::optional<std::string>("not.listed"),
          std::optional<std::string>("switched.off"), std::optional<std::string>("")}) {
        EXPECT_FALSE(p.allowsAutomaticCorrection(id)) << id.value_or("(none)");
        EXPECT_FALSE(p.allowsManualCorrection(id)) << id.value_or("(none)");
        EXPECT_FALSE(p.application(id).has_value()) << id.value_or("(none)");
    }
    EXPECT_EQ(p.application("manual.only"), settings_.applications[1]);
    EXPECT_DOUBLE_EQ(p.threshold("org.gnome.TextEditor"), 0.7);
    EXPECT_DOUBLE_EQ(p.threshold("switched.off"), 0.9);  // a disabled entry counts as unlisted
    EXPECT_DOUBLE_EQ(p.threshold("not.listed"), 0.9);
}

TEST_F(ApplicationPolicyTest, GlobalSwitchesComeFirst) {
    settings_.monitoringEnabled = false;
    EXPECT_FALSE(policy().allowsAutomaticCorrection("org.gnome.TextEditor"));
    EXPECT_FALSE(policy().allowsManualCorrection("org.gnome.TextEditor"));
    // The entry itself is still found; only the permissions are refused.
    EXPECT_TRUE(policy().application("org.gnome.TextEditor").has_value());
    EXPECT_DOUBLE_EQ(policy().threshold("org.gnome.TextEditor"), 0.7);

    settings_.monitoringEnabled = true;
    settings_.automaticCorrectionEnabled = false;
    for (const char* id : {"org.gnome.TextEditor", "manual.only", "automatic.only"}) {
        EXPECT_FALSE(policy().allowsAutomaticCorrection(id)) << id;
    }
    EXPECT_TRUE(policy().allowsManualCorrection("org.gnome.TextEditor"));
    EXPECT_TRUE(policy().allowsManualCorrection("manual.only"));
    EXPECT_FALSE(policy().allowsManualCorrection("automatic.only"));
}

TEST_F(ApplicationPolicyTest, APauseHoldsOnlyUntilItsMoment) {
    settings_.pauseUntil = clock_.now() + 1min;
    EXPECT_FALSE(policy().allowsAutomaticCorrection("org.gnome.TextEditor"));
    EXPECT_FALSE(policy().allowsManualCorrection("org.gnome.TextEditor"));
    const auto paused = policy();
    clock_.advance(1min - 1ns);
    EXPECT_FALSE(paused.allowsManualCorrection("org.gnome.TextEditor"));
    clock_.advance(1ns);  // the pause ends at its moment
    EXPECT_TRUE(paused.allowsAutomaticCorrection("org.gnome.TextEditor"));
    EXPECT_TRUE(paused.allowsManualCorrection("org.gnome.TextEditor"));

    settings_.pauseUntil = clock_.now() - 1min;
    EXPECT_TRUE(policy().allowsAutomaticCorrection("org.gnome.TextEditor"));
    EXPECT_TRUE(policy().allowsManualCorrection("manual.only"));
}

TEST_F(ApplicationPolicyTest, IdentifiersMatchExactlyAndTheFirstEnabledEntryDecides) {
    EXPECT_FALSE(policy().allowsAutomaticCorrection("org.gnome.texteditor"));
    EXPECT_FALSE(policy().application("ORG.GNOME.TEXTEDITOR").has_value());
    EXPECT_DOUBLE_EQ(policy().threshold("org.gnome.texteditor"), 0.9);

    settings_.applications.insert(settings_.applications.begin(),
                                  entry("dup", false, true, true, 0.1));
    settings_.applications.push_back(entry("dup", true, false, true, 0.6));
    settings_.applications.push_back(entry("dup", true, true, false, 0.95));
    const auto p = policy();
    EXPECT_FALSE(p.allowsAutomaticCorrection("dup"));
    EXPECT_TRUE(p.allowsManualCorrection("dup"));
    EXPECT_DOUBLE_EQ(p.threshold("dup"), 0.6);
    EXPECT_DOUBLE_EQ(p.application("dup")->confidenceThreshold, 0.6);
}

}  // namespace
}  // namespace plovik
