#include <gtest/gtest.h>

#include <string>

#include "SessionSupport.h"
#include "core/support/Uuid.h"

namespace plovik {
namespace {

using testing::makeSession;

CorrectionVerdict decisionWithConfidence(double confidence) {
    return {
        "ghbdtn",   "привет", KeyboardLayout::english(), KeyboardLayout::russian(), std::nullopt,
        confidence, ""};
}

TEST(Feedback, SummaryTruncatesThePercentageAndSoundsHaveTheirNames) {
    EXPECT_EQ(CorrectionFeedback::correctionSummary(decisionWithConfidence(0.876)),
              "ghbdtn → привет (87%)");
    EXPECT_EQ(CorrectionFeedback::correctionSummary(decisionWithConfidence(0.999)),
              "ghbdtn → привет (99%)");
    EXPECT_EQ(CorrectionFeedback::correctionSummary(decisionWithConfidence(1.0)),
              "ghbdtn → привет (100%)");
    EXPECT_EQ(CorrectionFeedback::correctionSummary(decisionWithConfidence(0.0)),
              "ghbdtn → привет (0%)");

    EXPECT_EQ(CorrectionFeedback::soundName(std::nullopt), "Pop");
    EXPECT_EQ(CorrectionFeedback::soundName(CorrectionSound::pop), "Pop");
    EXPECT_EQ(CorrectionFeedback::soundName(CorrectionSound::glass), "Glass");
    EXPECT_EQ(CorrectionFeedback::soundName(CorrectionSound::submarine), "Submarine");
    EXPECT_EQ(CorrectionFeedback::soundName(CorrectionSound::tink), "Tink");
    EXPECT_EQ(CorrectionFeedback::soundName(CorrectionSound::bottle), "Bottle");
    EXPECT_EQ(CorrectionFeedback::soundName(CorrectionSound::morse), "Morse");
}

TEST(Feedback, SoundAndNotificationFollowTheSettings) {
    auto session = makeSession();
    auto& coordinator = session->coordinator();
    auto& services = session->systemServices();

    session->settingsStore().update([](AppSettings& settings) {
        settings.playCorrectionSound = false;
        settings.showCorrectionNotification = true;
    });
    coordinator.playCorrectionSound();
    session->type("ghbdtn ");
    session->settle();
    EXPECT_TRUE(services.playedSounds().empty());
    ASSERT_EQ(services.notifications().size(), 1u);
    const auto& notification = services.notifications().front();
    EXPECT_EQ(notification.title, "Plovik corrected a word");
    EXPECT_EQ(notification.body, "ghbdtn → привет");
    EXPECT_TRUE(Uuid::parse(notification.identifier));

    session->settingsStore().update([](AppSettings& settings) {
        settings.playCorrectionSound = true;
        settings.correctionSound = CorrectionSound::glass;
    });
    coordinator.playCorrectionSound();
    EXPECT_EQ(services.playedSounds(), std::vector<std::string>{"Glass"});
    // A sound the desktop lacks is skipped without a word.
    services.setInstalledSounds({"Pop"});
    coordinator.playCorrectionSound();
    EXPECT_EQ(services.playedSounds().size(), 1u);
    EXPECT_EQ(coordinator.statusMessage().get(), "ghbdtn → привет (100%)");
}

TEST(Feedback, LaunchAtLoginChangesTheSettingOnlyWhenTheSystemAgrees) {
    auto session = makeSession();
    auto& coordinator = session->coordinator();
    auto& services = session->systemServices();

    coordinator.setLaunchAtLogin(true);
    EXPECT_TRUE(services.isLoginItemRegistered());
    EXPECT_TRUE(session->settingsStore().settings().launchAtLogin);
    EXPECT_FALSE(coordinator.statusMessage().get());

    services.setLoginItemError("the autostart folder is read-only");
    coordinator.setLaunchAtLogin(false);
    EXPECT_TRUE(session->settingsStore().settings().launchAtLogin);
    EXPECT_EQ(coordinator.statusMessage().get(),
              "Launch at login could not be changed: the autostart folder is read-only");

    services.setLoginItemError(std::nullopt);
    coordinator.setLaunchAtLogin(false);
    EXPECT_FALSE(session->settingsStore().settings().launchAtLogin);
    EXPECT_FALSE(coordinator.statusMessage().get());
    EXPECT_EQ(services.loginItemRequests(), (std::vector<bool>{true, false, false}));
}

TEST(Feedback, RefusedNotificationPermissionTurnsTheSwitchOffAgain) {
    auto session = makeSession();
    auto& coordinator = session->coordinator();
    auto& services = session->systemServices();
    const auto turnOn = [&] {
        session->settingsStore().update(
            [](AppSettings& settings) { settings.showCorrectionNotification = true; });
        coordinator.requestNotificationAuthorization();
    };

    turnOn();
    ASSERT_TRUE(services.answerNotificationAuthorization(true, std::nullopt));
    session->mainQueue().runUntilIdle();
    EXPECT_TRUE(session->settingsStore().settings().showCorrectionNotification);
    EXPECT_FALSE(coordinator.statusMessage().get());

    turnOn();
    ASSERT_TRUE(services.answerNotificationAuthorization(false, std::nullopt));
    // The answer is handled on the main queue, not where it arrives.
    EXPECT_TRUE(session->settingsStore().settings().showCorrectionNotification);
    session->mainQueue().runUntilIdle();
    EXPECT_FALSE(session->settingsStore().settings().showCorrectionNotification);
    EXPECT_EQ(coordinator.statusMessage().get(), "Notification permission was not granted.");

    turnOn();
    ASSERT_TRUE(services.answerNotificationAuthorization(false, "Notifications are blocked."));
    session->mainQueue().runUntilIdle();
    EXPECT_FALSE(session->settingsStore().settings().showCorrectionNotification);
    EXPECT_EQ(coordinator.statusMessage().get(), "Notifications are blocked.");
}

TEST(Feedback, ClearingLearningDataForgetsHistoryAndUndoButKeepsSettings) {
    auto session = makeSession();
    auto& coordinator = session->coordinator();
    session->type("ghbdtn ");
    session->settle();
    ASSERT_TRUE(coordinator.canUndoLastCorrection());
    const AppSettings before = session->settingsStore().settings();

    coordinator.clearLearningData();
    EXPECT_TRUE(coordinator.historyStore().allRecords().empty());
    EXPECT_FALSE(coordinator.lastCorrection().get());
    EXPECT_FALSE(coordinator.canUndoLastCorrection());
    EXPECT_EQ(coordinator.statusMessage().get(),
              "Local correction history and learned exceptions were cleared.");
    EXPECT_EQ(session->settingsStore().settings(), before);
    EXPECT_EQ(session->pressShortcut(ShortcutDefinition::altShiftSpace()), KeyDisposition::pass);
}

}  // namespace
}  // namespace plovik
