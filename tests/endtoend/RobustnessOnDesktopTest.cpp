#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

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

}  // namespace
}  // namespace plovik::testing
