#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "SessionSupport.h"
#include "app/session/TemporaryFolder.h"
#include "core/history/CorrectionOutcome.h"

namespace plovik {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using testing::makeSession;

constexpr const char* kStartErrorMessage =
    "Input Monitoring is not granted, so the keyboard event monitor could not start.";

TEST(Lifecycle, PermissionPollStartsAndStopsTheMonitor) {
    auto session = makeSession();
    auto& coordinator = session->coordinator();
    EXPECT_TRUE(session->taps().isTapInstalled());
    EXPECT_EQ(coordinator.permissionSnapshot().get(), (PermissionSnapshot{true, true}));
    EXPECT_FALSE(coordinator.monitoringError().get());
    EXPECT_TRUE(coordinator.isActive());

    session->setAccessibilityGranted(false);
    session->mainQueue().advance(seconds(2));
    EXPECT_FALSE(session->taps().isTapInstalled());
    EXPECT_EQ(coordinator.permissionSnapshot().get(), (PermissionSnapshot{false, true}));
    EXPECT_FALSE(coordinator.isActive());
    session->type("ghbdtn ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "ghbdtn ");

    session->setAccessibilityGranted(true);
    session->mainQueue().advance(seconds(2));
    EXPECT_TRUE(session->taps().isTapInstalled());
    EXPECT_TRUE(coordinator.isActive());
    session->type("vbh ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "ghbdtn мир ");

    // The system refuses the tap although the permission reads as granted.
    session->setInputMonitoringGranted(false);
    session->mainQueue().advance(seconds(2));
    session->desktop().permissions().setInputMonitoringGranted(true);
    session->taps().setInputMonitoringGranted(false);
    int changes = 0;
    const auto observation = coordinator.observeChanges([&] { ++changes; });
    session->mainQueue().advance(seconds(2));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(coordinator.monitoringError().get(), kStartErrorMessage);
    EXPECT_FALSE(coordinator.isActive());
    session->taps().setInputMonitoringGranted(true);
    session->mainQueue().advance(seconds(2));
    EXPECT_FALSE(coordinator.monitoringError().get());
    EXPECT_EQ(session->taps().installedTapCount(), 1u);
}

TEST(Lifecycle, ContextChangesResetTheWordButStartUpDoesNot) {
    auto session = makeSession();
    auto& buffer = session->coordinator().tokenBuffer();

    session->type("ghbd");
    EXPECT_EQ(buffer.currentToken(), "ghbd");
    testing::activateOtherApplication(*session, "");
    EXPECT_EQ(buffer.currentToken(), "");

    session->desktop().activate(SimulatedSession::kApplicationProcessIdentifier);
    session->type("ghbd");
    session->inputSources().setCurrentSourceId("xkb:ru");
    EXPECT_EQ(buffer.currentToken(), "");
    session->type("ghbd");
    EXPECT_EQ(buffer.currentToken(), "прив");
    session->inputSources().setCurrentSourceId("xkb:ru");
    EXPECT_EQ(buffer.currentToken(), "прив");
}

TEST(Lifecycle, AWordBegunBeforeTheLayoutsChangedIsForgotten) {
    SimulatedSession::Configuration configuration;
    configuration.layoutIds = {"xkb:us", "xkb:ru", "xkb:de"};
    auto session = makeSession(configuration);
    auto& buffer = session->coordinator().tokenBuffer();

    // The Russian layout goes while "ghb" is typed: the rest alone is no Russian word.
    session->type("ghb");
    session->inputSources().setEnabled("xkb:ru", false);
    session->mainQueue().advance(seconds(2));
    EXPECT_EQ(buffer.currentToken(), "");
    session->type("dtn ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "ghbdtn ");
    EXPECT_TRUE(session->coordinator().historyStore().allRecords().empty());

    // Added back, the set changes again; a poll that finds the same set keeps the word.
    session->type("ghb");
    session->inputSources().setEnabled("xkb:ru", true);
    session->mainQueue().advance(seconds(2));
    EXPECT_EQ(buffer.currentToken(), "");
    session->type("ghb");
    session->mainQueue().advance(seconds(2));
    EXPECT_EQ(buffer.currentToken(), "ghb");
}

TEST(Lifecycle, ShortcutChangesApplyFromTheNextKey) {
    auto session = makeSession();
    auto& history = session->coordinator().historyStore();
    const ShortcutDefinition controlOptionM{Key::m, Modifier::control | Modifier::alt};
    session->settingsStore().update([&](AppSettings& settings) {
        settings.automaticCorrectionEnabled = false;
        settings.manualShortcut = controlOptionM;
    });
    session->type("ghbdtn");
    EXPECT_EQ(session->pressShortcut(ShortcutDefinition::altSpace()), KeyDisposition::pass);
    EXPECT_TRUE(history.allRecords().empty());
    EXPECT_EQ(session->pressShortcut(controlOptionM), KeyDisposition::swallow);
    ASSERT_EQ(history.allRecords().size(), 1u);
    EXPECT_EQ(history.allRecords().front().correctedToken, "привет");
    EXPECT_TRUE(session->fieldText().starts_with("привет"));
}

TEST(Lifecycle, UpdaterStateIsMirrored) {
    auto session = makeSession();
    auto& coordinator = session->coordinator();
    auto& updater = session->systemServices().updater();
    EXPECT_EQ(session->systemServices().createdUpdaterControllers(), std::vector<bool>{true});
    EXPECT_TRUE(coordinator.canCheckForUpdates().get());

    updater.canCheckForUpdates() = false;
    EXPECT_FALSE(coordinator.canCheckForUpdates().get());
    coordinator.updaterController().checkForUpdates();
    EXPECT_EQ(updater.checkCount(), 1);
}

TEST(Lifecycle, HistoryIsReloadedByTheNextRun) {
    TemporaryFolder home;
    SimulatedSession::Configuration configuration;
    configuration.perUserFolder = home.path();
    Uuid recordID = Uuid::random();
    {
        auto first = makeSession(configuration);
        first->type("ghbdtn ");
        first->settle();
        ASSERT_EQ(first->coordinator().historyStore().allRecords().size(), 1u);
        recordID = first->coordinator().historyStore().allRecords().front().id;
    }
    EXPECT_TRUE(std::filesystem::exists(home.path() / "Application Support" / "Plovik" /
                                        "correction-history.json"));
    auto second = makeSession(configuration);
    const auto records = second->coordinator().historyStore().allRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].id, recordID);
    EXPECT_EQ(records[0].correctedToken, "привет");
    EXPECT_EQ(records[0].outcome, CorrectionOutcome::accepted);
    EXPECT_FALSE(second->coordinator().canUndoLastCorrection());

    // A session of its own leaves no folder behind.
    std::filesystem::path ownFolder;
    {
        auto own = makeSession();
        ownFolder = own->perUserFolder();
        own->type("ghbdtn ");
        own->settle();
        EXPECT_TRUE(std::filesystem::exists(ownFolder));
        EXPECT_NE(ownFolder, home.path());
    }
    EXPECT_FALSE(std::filesystem::exists(ownFolder));
}

// Settings or history that cannot be saved are said once in the status, for as long as the
// problem lasts; corrections go on meanwhile.
TEST(Lifecycle, WhatCannotBeSavedIsPublishedUntilItCanBe) {
    TemporaryFolder home;
    SimulatedSession::Configuration configuration;
    configuration.perUserFolder = home.path();
    // A plain file where the history's folder should be.
    std::filesystem::create_directories(home.path() / "Application Support");
    std::ofstream(home.path() / "Application Support" / "Plovik") << "not a folder";
    auto session = makeSession(configuration);
    auto& coordinator = session->coordinator();
    std::vector<std::vector<std::string>> published;
    const auto subscription = coordinator.storageProblems().subscribe(
        [&](const std::vector<std::string>& problems) { published.push_back(problems); });
    EXPECT_TRUE(coordinator.storageProblems().get().empty());

    session->defaults().setFailsWrites(true, "No space left on device");
    session->type("ghbdtn ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "привет ");
    coordinator.togglePause();
    coordinator.historyStore().flush();
    session->mainQueue().advance(seconds(2));
    EXPECT_EQ(coordinator.storageProblems().get(),
              (std::vector<std::string>{"settings cannot be saved: No space left on device",
                                        "the learning history cannot be saved: Not a directory"}));

    session->defaults().setFailsWrites(false);
    coordinator.togglePause();
    std::filesystem::remove(home.path() / "Application Support" / "Plovik");
    session->type("vbh ");
    session->settle();
    coordinator.historyStore().flush();
    session->mainQueue().advance(seconds(2));
    EXPECT_TRUE(coordinator.storageProblems().get().empty());
    // The empty start, each of the two problems, the first one's end, then the second's.
    EXPECT_EQ(published.size(), 5u);
}

TEST(Lifecycle, AGoneCoordinatorDropsItsWorkButNotTheUsersReturn) {
    auto session = makeSession();
    for (const auto& stroke : session->strokesOf("ghbdtn vbh ")) {
        session->desktop().pressKey(session->keyEventFor(stroke));
        session->mainQueue().advance(milliseconds(2));
    }
    KeyEvent returnKey;
    returnKey.key = Key::enter;
    returnKey.text = "\r";
    EXPECT_EQ(session->desktop().pressKey(returnKey), KeyDisposition::swallow);
    session->mainQueue().advance(milliseconds(1));
    // The words before it were corrected at once, and the Return went on after them.
    ASSERT_EQ(session->fieldText(), "привет мир \n");
    for (const auto& stroke : session->strokesOf("ghbdtn ")) {
        session->desktop().pressStroke(stroke);
    }

    std::weak_ptr<AppCoordinator> weak = session->coordinatorPointer();
    session->coordinatorPointer().reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_FALSE(session->taps().isTapInstalled());
    session->mainQueue().advance(seconds(5));
    EXPECT_EQ(session->fieldText(), "привет мир \nghbdtn ") << "the waiting correction is dropped";
}

TEST(Lifecycle, OnboardingAddsTheApplicationsAndIsRemembered) {
    SimulatedSession::Configuration configuration;
    configuration.listsApplication = false;
    auto session = makeSession(configuration);
    session->coordinator().completeOnboarding(
        {EnabledApplication("org.plovik.SimulatedEditor", "Editor", std::nullopt, std::nullopt,
                            true, true, false, true, 0.9)});
    const auto& settings = session->settingsStore().settings();
    EXPECT_TRUE(settings.hasCompletedOnboarding);
    ASSERT_EQ(settings.applications.size(), 1u);
    EXPECT_TRUE(session->defaults().string("Plovik.AppSettings.v1"));
    session->type("ghbdtn ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "привет ");
}

}  // namespace
}  // namespace plovik

namespace plovik {
namespace {

TEST(SimulatedSessionSetUp, RefusesLayoutsItCannotProvide) {
    SimulatedSession::Configuration unknown;
    unknown.layoutIds = {"xkb:us", "xkb:nosuchlayout"};
    auto created = SimulatedSession::create(unknown);
    ASSERT_TRUE(std::holds_alternative<std::string>(created));
    EXPECT_EQ(std::get<std::string>(created), "unknown keyboard layout xkb:nosuchlayout");

    SimulatedSession::Configuration notEnabled;
    notEnabled.typedInId = "xkb:de";
    created = SimulatedSession::create(notEnabled);
    ASSERT_TRUE(std::holds_alternative<std::string>(created));
    EXPECT_EQ(std::get<std::string>(created), "the typed-in layout xkb:de is not enabled");
}

}  // namespace
}  // namespace plovik
