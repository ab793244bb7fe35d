#include <signal.h>
#include <sys/wait.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "core/history/HistoryFileFormat.h"
#include "core/history/HistoryRetention.h"
#include "core/settings/SettingsStore.h"
#include "endtoend/PlovikDesktopFixture.h"

namespace plovik::testing {
namespace {

using Field = FixtureWindow::Field;
using json = nlohmann::json;

class RobustnessOnDesktopTest : public PlovikDesktopTest {
  protected:
    std::filesystem::path settingsFile() const {
        return rehearsal_->home() / "config" / "plovik" / SettingsStore::kStandardStorageKey;
    }
    json storedSettings() const {
        std::ifstream file(settingsFile());
        return json::parse(std::string(std::istreambuf_iterator<char>(file), {}), nullptr, false);
    }
    // What another program (a second copy's settings window, a file sync) stores.
    void storeFromOutside(const std::function<void(json&)>& change) {
        json document = storedSettings();
        change(document);
        const auto temporary = settingsFile().string() + ".outside";
        std::ofstream(temporary) << document.dump();
        std::filesystem::rename(temporary, settingsFile());
    }
    std::string fileText(const std::string& name) const {
        std::ifstream file(rehearsal_->home() / name);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

    // Ends the session's part (0: the X server, 1: the session bus) under a running Plovik,
    // and how long Plovik then takes to end, with its wait status.
    std::pair<std::chrono::milliseconds, std::optional<int>> endSessionPart(std::size_t part) {
        const pid_t target = session_->processIds().at(part);
        const auto begin = std::chrono::steady_clock::now();
        ::kill(target, SIGKILL);
        const auto status = rehearsal_->plovik()->waitForExit(30s);
        return {std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - begin),
                status};
    }
};

TEST_F(RobustnessOnDesktopTest, SettingsAnotherProgramStoresAreTakenInAndSurviveAShortcut) {
    start({});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    storeFromOutside([](json& document) {
        document["applications"].push_back(
            *DesktopRehearsal::enabled(kGtkId, "Fixture", false).toJson());
        document["confidenceThreshold"] = 0.55;
        document["playCorrectionSound"] = true;
    });
    // Taken in without a restart: the application is corrected in.
    std::this_thread::sleep_for(500ms);
    rehearsal_->typeKeys("ghbdtn ", 0, 20ms);
    EXPECT_EQ(waitForText(window(), Field::single, "привет "), "привет ") << rehearsal_->log();

    rehearsal_->pressKey(kPKey, X11KeyboardState::kAltMask | X11KeyboardState::kSuperMask);
    ASSERT_TRUE(rehearsal_->waitForLog("plovik: paused", 2s)) << rehearsal_->log();
    const json stored = storedSettings();
    ASSERT_TRUE(stored.is_object());
    EXPECT_TRUE(stored.contains("pauseUntil"));
    EXPECT_EQ(stored["confidenceThreshold"], 0.55);
    EXPECT_EQ(stored["playCorrectionSound"], true);
    ASSERT_EQ(stored["applications"].size(), 1u);
    EXPECT_EQ(stored["applications"][0]["bundleIdentifier"], kGtkId);
}

TEST_F(RobustnessOnDesktopTest, WhatCannotBeReadOrSavedIsSaidOnceAndTheRestWorks) {
    beforePlovikStarts_ = [](const std::filesystem::path& home) {
        const auto file = home / "config" / "plovik" / SettingsStore::kStandardStorageKey;
        std::ifstream in(file);
        json document = json::parse(std::string(std::istreambuf_iterator<char>(in), {}));
        document["confidenceThreshold"] = "high";
        std::ofstream(file) << document.dump();
        // A plain file where the history's folder should be.
        std::filesystem::create_directories(home / "data");
        std::ofstream(home / "data" / "Plovik") << "not a folder";
    };
    start({DesktopRehearsal::enabled(kGtkId, "Fixture", false)});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    const std::string unreadable =
        "plovik: settings could not be read (confidenceThreshold is not a number): using "
        "defaults for confidenceThreshold; your file is kept as " +
        settingsFile().string() + ".unreadable-";
    EXPECT_TRUE(rehearsal_->waitForLog(unreadable, 5s)) << rehearsal_->log();
    // The application enabled in the same file is still corrected in.
    rehearsal_->typeKeys("ghbdtn ", 0, 20ms);
    EXPECT_EQ(waitForText(window(), Field::single, "привет "), "привет ") << rehearsal_->log();
    const std::string unsaved = "plovik: the learning history cannot be saved: Not a directory";
    EXPECT_TRUE(rehearsal_->waitForLog(unsaved, 5s)) << rehearsal_->log();
    rehearsal_->typeKeys("vbh ", 0, 20ms);
    EXPECT_EQ(waitForText(window(), Field::single, "привет мир "), "привет мир ")
        << rehearsal_->log();
    std::this_thread::sleep_for(2500ms);
    EXPECT_EQ(DesktopRehearsal::occurrences(rehearsal_->log(), unsaved), 1);
    EXPECT_EQ(DesktopRehearsal::occurrences(rehearsal_->log(), unreadable), 1);
}

// Typing on while corrections are applied cancels some of them; each is kept as a declined
// record. Bursts of them must not push out what the user kept or undid.
TEST_F(RobustnessOnDesktopTest, BurstsOfCancelledCorrectionsKeepTheLearnedHistory) {
    constexpr int kLearned = 400;
    beforePlovikStarts_ = [](const std::filesystem::path& home) {
        std::vector<CorrectionRecord> records;
        for (int i = 0; i < kLearned; ++i) {
            records.push_back({Uuid::random(), "word" + std::to_string(i), "слово",
                               "org.example.Elsewhere",
                               i % 4 == 0 ? CorrectionOutcome::undone : CorrectionOutcome::accepted,
                               700'000'000.0 + i});
        }
        const auto folder = home / "data" / "Plovik";
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "correction-history.json") << *HistoryFileFormat::encode(records);
    };
    start({DesktopRehearsal::enabled(kGtkId, "Fixture", false)});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    for (int burst = 0; burst < 20; ++burst) {
        rehearsal_->typeKeys("ghbdtn vbh ljv rjn cnjk ujhjl rybuf gjujlf ", 0, 30ms);
    }
    std::this_thread::sleep_for(1s);
    rehearsal_->stopPlovik();

    std::ifstream file(rehearsal_->home() / "data" / "Plovik" / "correction-history.json");
    const auto records =
        HistoryFileFormat::decode(std::string(std::istreambuf_iterator<char>(file), {}));
    ASSERT_TRUE(records.has_value());
    int seeded = 0, accepted = 0, undone = 0, declined = 0;
    for (const auto& record : *records) {
        seeded += record.applicationBundleIdentifier == "org.example.Elsewhere";
        accepted += record.outcome == CorrectionOutcome::accepted;
        undone += record.outcome == CorrectionOutcome::undone;
        declined += record.outcome == CorrectionOutcome::rejected;
    }
    const int added = accepted + undone - seeded;
    std::cout << "after 20 bursts: " << records->size() << " records, " << accepted << " accepted, "
              << undone << " undone, " << declined << " declined; " << seeded << " of " << kLearned
              << " earlier ones kept\n";
    // Every learned record stays while they fit; declined ones only fill the room left.
    EXPECT_EQ(accepted + undone, std::min(500, kLearned + added));
    EXPECT_LE(declined, static_cast<int>(HistoryRetention::kDeclinedAllowance));
    EXPECT_LE(records->size(), 500u);
}

TEST_F(RobustnessOnDesktopTest, ASecondCopyInAnyModeSaysWhichRunsAndStops) {
    start({DesktopRehearsal::enabled(kGtkId, "Fixture", false)});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    const std::string running = "another Plovik is already running for this user (pid " +
                                std::to_string(rehearsal_->plovik()->pid()) + ")";
    for (const auto& arguments :
         {std::vector<std::string>{"--headless"}, std::vector<std::string>{}}) {
        const std::string log = "second-" + std::to_string(arguments.size()) + ".log";
        auto second = rehearsal_->launchAnotherPlovik(arguments, log);
        const auto status = second.waitForExit(20s);
        ASSERT_TRUE(status.has_value()) << fileText(log);
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << *status;
        EXPECT_NE(fileText(log).find(running), std::string::npos) << fileText(log);
    }
    // The first copy goes on correcting, alone.
    rehearsal_->typeKeys("ghbdtn ", 0, 20ms);
    EXPECT_EQ(waitForText(window(), Field::single, "привет "), "привет ") << rehearsal_->log();
    EXPECT_TRUE(rehearsal_->waitForLog(" → ", 2s)) << rehearsal_->log();
    EXPECT_EQ(corrections(), 1);
}

TEST_F(RobustnessOnDesktopTest, ALostXServerEndsPlovikAtOnceSayingWhy) {
    start({}, {});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    const auto [took, status] = endSessionPart(0);
    ASSERT_TRUE(status.has_value()) << "still running 30 s later\n" << rehearsal_->log();
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << *status;
    EXPECT_TRUE(rehearsal_->waitForLog("plovik: the X server connection was lost", 1s))
        << rehearsal_->log();
    // Generous for a crowded machine; the figure itself is printed.
    EXPECT_LT(took, 10s);
    std::cout << "exited " << took.count() << " ms after the X server ended\n";
}

TEST_F(RobustnessOnDesktopTest, ALostSessionBusEndsPlovikSayingWhy) {
    start({}, {});
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    const auto [took, status] = endSessionPart(1);
    ASSERT_TRUE(status.has_value()) << "still running 30 s later\n" << rehearsal_->log();
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 1) << *status;
    EXPECT_TRUE(rehearsal_->waitForLog("plovik: the session bus connection was lost", 1s))
        << rehearsal_->log();
    EXPECT_LT(took, 10s);
    std::cout << "exited " << took.count() << " ms after the session bus ended\n";
}

}  // namespace
}  // namespace plovik::testing
