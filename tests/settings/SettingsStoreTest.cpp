#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "core/settings/SettingsDocument.h"
#include "core/settings/SettingsStore.h"
#include "platform/simulated/InMemorySettingsFiles.h"
#include "platform/simulated/SimulatedClock.h"
#include "settings/SettingsTestSupport.h"

namespace plovik {
namespace {

using testing::application;
using testing::fullSettings;
using testing::readTestFile;
using json = nlohmann::json;

constexpr const char* kKey = SettingsStore::kStandardStorageKey;

class SettingsStoreTest : public ::testing::Test {
  protected:
    SettingsStore makeStore() {
        return SettingsStore(defaults_, kKey, clock_, text::LocalizedComparison("en_US"));
    }

    std::vector<std::string> names(const SettingsStore& store) const {
        std::vector<std::string> result;
        for (const auto& entry : store.settings().applications) {
            result.push_back(entry.displayName + "/" + entry.bundleIdentifier);
        }
        return result;
    }

    std::optional<AppSettings> stored() const {
        const auto blob = defaults_.data(kKey);
        return blob ? SettingsDocument::decode(*blob) : std::nullopt;
    }

    InMemorySettingsFiles defaults_;
    // 2026-12-06 19:45:00 UTC
    SimulatedClock clock_{TimePoint{std::chrono::seconds{1'796'586'300}}};
};

TEST_F(SettingsStoreTest, FirstStartUsesDefaultsAndWritesNothing) {
    SettingsStore store = makeStore();
    EXPECT_EQ(store.settings(), AppSettings{});
    EXPECT_EQ(store.storageKey(), "Plovik.AppSettings.v1");
    EXPECT_EQ(defaults_.writeCount(), 0u);
    EXPECT_TRUE(defaults_.contents().empty());
}

TEST_F(SettingsStoreTest, PublishesEachChangeBeforeStoringIt) {
    defaults_.setString(kKey, readTestFile("full.json"));
    SettingsStore store = makeStore();
    EXPECT_EQ(store.settings(), testing::fullSettings());

    std::vector<AppSettings> delivered;
    std::vector<std::optional<std::string>> storedAtDelivery;
    auto subscription = store.subscribe([&](const AppSettings& settings) {
        delivered.push_back(settings);
        storedAtDelivery.push_back(defaults_.string(kKey));
    });
    ASSERT_EQ(delivered.size(), 1u);  // the current value on subscription

    store.update([](AppSettings& settings) { settings.launchAtLogin = false; });
    ASSERT_EQ(delivered.size(), 2u);
    EXPECT_FALSE(delivered.back().launchAtLogin);
    EXPECT_EQ(storedAtDelivery.back(), readTestFile("full.json"));  // not yet written
    EXPECT_EQ(stored(), store.settings());

    store.update([](AppSettings&) {});  // an edit that changes nothing still publishes
    EXPECT_EQ(delivered.size(), 3u);
    EXPECT_EQ(defaults_.writeCount(), 2u);

    // The in-memory record stays the truth when the document cannot be written.
    store.update(
        [](AppSettings& s) { s.confidenceThreshold = std::numeric_limits<double>::infinity(); });
    EXPECT_EQ(store.settings().confidenceThreshold, std::numeric_limits<double>::infinity());
    EXPECT_EQ(defaults_.writeCount(), 2u);
    EXPECT_DOUBLE_EQ(stored()->confidenceThreshold, 0.75);
}

TEST_F(SettingsStoreTest, DropsOversizedIconsAtLoadAndWritesTheCleanedDocumentBack) {
    AppSettings original;
    auto withIcon = [](std::string id, std::size_t size) {
        auto entry = application(id, id);
        entry.iconData = std::vector<std::uint8_t>(size, 0x5A);
        return entry;
    };
    original.applications = {withIcon("exact", 524'288), application("plain", "plain")};
    defaults_.setData(kKey, *SettingsDocument::encode(original));
    {
        SettingsStore store = makeStore();
        EXPECT_EQ(store.settings(), original);
        EXPECT_EQ(defaults_.writeCount(), 1u);  // only the set-up write
    }

    original.applications.push_back(withIcon("large", 524'289));
    original.applications.push_back(withIcon("huge", 600'000));
    defaults_.setData(kKey, *SettingsDocument::encode(original));
    SettingsStore store = makeStore();
    AppSettings expected = original;
    expected.applications[2].iconData.reset();
    expected.applications[3].iconData.reset();
    EXPECT_EQ(store.settings(), expected);
    EXPECT_EQ(defaults_.writeCount(), 3u);
    EXPECT_EQ(stored(), expected);
}

TEST_F(SettingsStoreTest, AddApplicationReplacesByIdentifierAndSortsByLocalizedName) {
    SettingsStore store = makeStore();
    store.addApplication(application("us.zoom.Zoom", "Zoom"));
    store.addApplication(application("org.apple", "apple"));
    EXPECT_EQ(names(store), (std::vector<std::string>{"apple/org.apple", "Zoom/us.zoom.Zoom"}));

    // Names equal but for case keep the order in which they were listed.
    store.addApplication(application("second", "Apple"));
    store.addApplication(application("third", "APPLE"));
    EXPECT_EQ(names(store), (std::vector<std::string>{"apple/org.apple", "Apple/second",
                                                      "APPLE/third", "Zoom/us.zoom.Zoom"}));

    // The same identifier again: one entry, the new one, at its new sorted place.
    store.addApplication(application("org.apple", "Zebra", 0.5));
    EXPECT_EQ(names(store), (std::vector<std::string>{"Apple/second", "APPLE/third",
                                                      "Zebra/org.apple", "Zoom/us.zoom.Zoom"}));
    EXPECT_DOUBLE_EQ(store.settings().applications[2].confidenceThreshold, 0.5);
    EXPECT_EQ(stored(), store.settings());
}

TEST_F(SettingsStoreTest, UpdateApplicationReplacesInPlaceOrAppends) {
    SettingsStore store = makeStore();
    store.addApplication(application("b", "Beta"));
    store.addApplication(application("c", "Gamma"));
    store.updateApplication(application("a", "Alpha"));
    EXPECT_EQ(names(store), (std::vector<std::string>{"Beta/b", "Gamma/c", "Alpha/a"}));

    auto disabled = application("b", "Zulu");
    disabled.isEnabled = false;
    store.updateApplication(disabled);
    EXPECT_EQ(names(store), (std::vector<std::string>{"Zulu/b", "Gamma/c", "Alpha/a"}));
    EXPECT_FALSE(store.settings().applications[0].isEnabled);
    EXPECT_EQ(stored(), store.settings());
}

TEST_F(SettingsStoreTest, RemoveApplicationRemovesEveryMatchAndAlwaysPublishes) {
    defaults_.setString(kKey, readTestFile("full.json"));
    SettingsStore store = makeStore();
    store.updateApplication(application("firefox-esr", "Firefox ESR"));
    int deliveries = 0;
    auto subscription = store.subscribe([&](const AppSettings&) { ++deliveries; });
    const auto writes = defaults_.writeCount();

    store.removeApplication("FIREFOX-ESR");  // identifiers are case-sensitive
    EXPECT_EQ(store.settings().applications.size(), 2u);
    EXPECT_EQ(deliveries, 2);
    EXPECT_EQ(defaults_.writeCount(), writes + 1);

    store.removeApplication("firefox-esr");
    ASSERT_EQ(store.settings().applications.size(), 1u);
    EXPECT_EQ(store.settings().applications[0].bundleIdentifier, "org.gnome.TextEditor");
    EXPECT_EQ(stored(), store.settings());
}

TEST_F(SettingsStoreTest, ResetPublishesDefaultsAndRemovesTheKey) {
    defaults_.setString(kKey, readTestFile("full.json"));
    {
        SettingsStore store = makeStore();
        std::optional<AppSettings> last;
        auto subscription = store.subscribe([&](const AppSettings& settings) { last = settings; });
        store.reset();
        EXPECT_EQ(last, AppSettings{});
        EXPECT_EQ(store.settings(), AppSettings{});
        EXPECT_FALSE(defaults_.data(kKey).has_value());
    }
    const auto writes = defaults_.writeCount();
    SettingsStore restarted = makeStore();
    EXPECT_EQ(restarted.settings(), AppSettings{});
    EXPECT_FALSE(defaults_.data(kKey).has_value());
    EXPECT_EQ(defaults_.writeCount(), writes);
}

TEST_F(SettingsStoreTest, KeepsADamagedDocumentAsideAtOnceAndRecoversWhatItCan) {
    std::string damaged = readTestFile("full.json");
    damaged.replace(damaged.find("\"Submarine\""), 11, "\"submarine\"");
    defaults_.setString(kKey, damaged);
    const std::string aside = std::string(kKey) + ".unreadable-20261206T194500Z";

    // While the copy cannot be made, the original is not overwritten either.
    defaults_.setFailsWrites(true, "No space left on device");
    SettingsStore store = makeStore();
    AppSettings expected = testing::fullSettings();
    expected.correctionSound = CorrectionSound::pop;
    EXPECT_EQ(store.settings(), expected);
    EXPECT_EQ(store.problems(),
              std::vector<std::string>{
                  "settings could not be read (correctionSound is not one of the sounds): using "
                  "defaults for correctionSound; your file is left as it is at "
                  "Plovik.AppSettings.v1 (a copy could not be made: No space left on device)"});
    store.update([](AppSettings& settings) { settings.launchAtLogin = false; });
    EXPECT_EQ(defaults_.string(kKey), damaged);
    defaults_.setFailsWrites(false);

    store.update([](AppSettings& settings) { settings.hasCompletedOnboarding = false; });
    EXPECT_EQ(defaults_.string(aside), damaged);
    EXPECT_EQ(stored(), store.settings());
    EXPECT_FALSE(store.settings().launchAtLogin);
    EXPECT_EQ(store.problems(),
              std::vector<std::string>{"settings could not be read (correctionSound is not one of "
                                       "the sounds): using defaults for correctionSound; your file "
                                       "is kept as " +
                                       aside});

    // Only once: later writes leave the copy alone and make no other.
    store.update([](AppSettings& settings) { settings.launchAtLogin = true; });
    EXPECT_EQ(defaults_.contents().size(), 2u);
}

// One wrong member costs that member: every other setting, the applications included, is
// what the user stored, and the user is told which defaults stand in.
TEST_F(SettingsStoreTest, EverySettingThatDecodesIsKeptAndTheRestIsNamed) {
    const auto full = json::parse(readTestFile("full.json"));
    struct Case {
        std::function<void(json&)> damage;
        std::function<void(AppSettings&)> expected;
        std::string problem;
    };
    const std::vector<Case> cases{
        {[](json& d) { d["confidenceThreshold"] = "high"; },
         [](AppSettings& s) { s.confidenceThreshold = 0.9; },
         "(confidenceThreshold is not a number): using defaults for confidenceThreshold;"},
        {[](json& d) { d.erase("pauseShortcut"); },
         [](AppSettings& s) { s.pauseShortcut = ShortcutDefinition::altSuperP(); },
         "(pauseShortcut is missing): using defaults for pauseShortcut;"},
        {[](json& d) { d["applications"][1]["isEnabled"] = 1; },
         [](AppSettings& s) { s.applications[1].isEnabled = true; },
         "(applications[1].isEnabled is not true or false): using defaults for "
         "applications[1].isEnabled;"},
        {[](json& d) { d["applications"][0].erase("bundleIdentifier"); },
         [](AppSettings& s) { s.applications.erase(s.applications.begin()); },
         "(applications[0] has no bundleIdentifier): using defaults for applications[0];"},
        {[](json& d) {
             d["monitoringEnabled"] = nullptr;
             d["undoShortcut"] = "Ctrl+Z";
             d["pauseUntil"] = "tomorrow";
             d["applications"][0]["applicationURL"] = "::";
         },
         [](AppSettings& s) {
             s.monitoringEnabled = true;
             s.undoShortcut = ShortcutDefinition::altShiftSpace();
             s.pauseUntil.reset();
             s.applications[0].applicationURL.reset();
         },
         "(monitoringEnabled is not true or false; pauseUntil is not a number of seconds; "
         "applications[0].applicationURL is not a URL; and 1 more): using defaults for "
         "monitoringEnabled, pauseUntil, applications[0].applicationURL, undoShortcut;"},
    };
    for (const auto& item : cases) {
        InMemorySettingsFiles defaults;
        json document = full;
        item.damage(document);
        defaults.setString(kKey, document.dump());
        SettingsStore store(defaults, kKey, clock_, text::LocalizedComparison("en_US"));
        AppSettings expected = testing::fullSettings();
        item.expected(expected);
        EXPECT_EQ(store.settings(), expected) << item.problem;
        ASSERT_EQ(store.problems().size(), 1u) << item.problem;
        EXPECT_NE(store.problems()[0].find(item.problem), std::string::npos) << store.problems()[0];
        EXPECT_EQ(defaults.string(std::string(kKey) + ".unreadable-20261206T194500Z"),
                  document.dump());

        // The first write repairs what could not be read, with the values in use.
        store.update([](AppSettings& settings) { settings.launchAtLogin = false; });
        expected.launchAtLogin = false;
        const auto blob = defaults.data(kKey);
        ASSERT_TRUE(blob.has_value());
        EXPECT_EQ(SettingsDocument::decode(*blob), expected) << item.problem;
    }

    // Nothing readable at all, or nothing there to read.
    for (const auto& [bytes, reason] : std::vector<std::pair<std::string, std::string>>{
             {"\x89PNG\r\n\x1a\n\0\0", "it is not valid JSON"},
             {readTestFile("full.json").substr(0, 200), "it is not valid JSON"},
             {"[1, 2]", "it is not a JSON object"},
             {"", "it is empty"}}) {
        InMemorySettingsFiles defaults;
        defaults.setString(kKey, bytes);
        SettingsStore store(defaults, kKey, clock_, text::LocalizedComparison("en_US"));
        EXPECT_EQ(store.settings(), AppSettings{});
        ASSERT_EQ(store.problems().size(), 1u);
        EXPECT_EQ(store.problems()[0], "settings could not be read (" + reason +
                                           "): using defaults for every setting; your file is "
                                           "kept as Plovik.AppSettings.v1.unreadable-"
                                           "20261206T194500Z");
    }
}

TEST_F(SettingsStoreTest, SaysWhenTheSettingsCannotBeSavedUntilTheyCanAgain) {
    SettingsStore store = makeStore();
    std::vector<std::vector<std::string>> told;
    auto subscription = store.subscribeProblems(
        [&](const std::vector<std::string>& problems) { told.push_back(problems); });
    defaults_.setFailsWrites(true, "No space left on device");
    store.update([](AppSettings& settings) { settings.launchAtLogin = true; });
    store.update([](AppSettings& settings) { settings.hasCompletedOnboarding = true; });
    EXPECT_TRUE(store.settings().launchAtLogin);
    EXPECT_EQ(store.problems(),
              std::vector<std::string>{"settings cannot be saved: No space left on device"});
    defaults_.setFailsWrites(false);
    store.update([](AppSettings& settings) { settings.monitoringEnabled = false; });
    EXPECT_TRUE(store.problems().empty());
    // Told once when it began and once when it ended.
    EXPECT_EQ(told.size(), 3u);
    EXPECT_EQ(stored(), store.settings());
}

TEST_F(SettingsStoreTest, ResetAlsoKeepsAnUnreadableDocumentWithoutOverwritingEarlierCopies) {
    const std::string aside = std::string(kKey) + ".unreadable-20261206T194500Z";
    defaults_.setString(aside, "an earlier copy");
    defaults_.setString(kKey, "{\"monitoringEnabled\":true}");
    SettingsStore store = makeStore();
    store.reset();
    EXPECT_FALSE(defaults_.data(kKey).has_value());
    EXPECT_EQ(defaults_.string(aside), "an earlier copy");
    EXPECT_EQ(defaults_.string(aside + "-2"), "{\"monitoringEnabled\":true}");
}

TEST_F(SettingsStoreTest, NeverReplacesADocumentItCouldNotRead) {
    defaults_.setString(kKey, readTestFile("full.json"));
    defaults_.setUnreadable(kKey);
    SettingsStore store = makeStore();
    EXPECT_TRUE(store.storedDocumentUnreadable());
    EXPECT_EQ(store.settings(), AppSettings{});

    // Changes hold for this run; the stored document and its key stay as they were.
    store.update([](AppSettings& settings) { settings.launchAtLogin = true; });
    EXPECT_TRUE(store.settings().launchAtLogin);
    store.reset();
    EXPECT_EQ(defaults_.writeCount(), 0u);
    EXPECT_EQ(defaults_.removeCount(), 0u);
    EXPECT_EQ(defaults_.contents().size(), 1u);
    EXPECT_TRUE(makeStore().storedDocumentUnreadable());
    EXPECT_EQ(store.problems(),
              std::vector<std::string>{
                  "settings could not be read (Permission denied): using defaults for every "
                  "setting; your file is kept as Plovik.AppSettings.v1, and changes are not "
                  "saved"});
}

TEST_F(SettingsStoreTest, AnUnreadableEarlierCopyIsNotOverwrittenEither) {
    const std::string aside = std::string(kKey) + ".unreadable-20261206T194500Z";
    defaults_.setUnreadable(aside);
    defaults_.setString(kKey, "{\"monitoringEnabled\":true}");
    SettingsStore store = makeStore();
    store.reset();
    EXPECT_EQ(defaults_.string(aside + "-2"), "{\"monitoringEnabled\":true}");
    EXPECT_EQ(defaults_.entry(aside),
              SettingsFiles::Entry(SettingsFiles::Unreadable{"Permission denied"}));
}

// Another program (a second copy, a file sync, an editor) changes the stored settings while
// this store runs.
class OutsideWriterTest : public SettingsStoreTest {
  protected:
    // What another program stores: the document as it is now, changed.
    void writeFromOutside(const std::function<void(json&)>& change) {
        json document = json::parse(*defaults_.string(kKey));
        change(document);
        defaults_.setString(kKey, document.dump());
    }

    static void anotherProgramsChanges(json& document) {
        document["applications"].push_back(
            json::parse(R"({"bundleIdentifier":"org.gnome.gedit","displayName":"gedit",)"
                        R"("isEnabled":true,"automaticCorrectionEnabled":true,)"
                        R"("switchInputSourceAfterCorrection":true,"manualCorrectionEnabled":true,)"
                        R"("confidenceThreshold":0.9})"));
        document["confidenceThreshold"] = 0.55;
        document["playCorrectionSound"] = true;
    }

    static void expectAnotherProgramsChanges(const AppSettings& settings) {
        ASSERT_EQ(settings.applications.size(), 3u);
        EXPECT_EQ(settings.applications[2].bundleIdentifier, "org.gnome.gedit");
        EXPECT_DOUBLE_EQ(settings.confidenceThreshold, 0.55);
        EXPECT_TRUE(settings.playCorrectionSound);
    }
};

TEST_F(OutsideWriterTest, ChangesStoredByAnotherProgramAreTakenInAndKept) {
    defaults_.setString(kKey, readTestFile("full.json"));
    SettingsStore store = makeStore();
    std::vector<AppSettings> delivered;
    auto subscription =
        store.subscribe([&](const AppSettings& settings) { delivered.push_back(settings); });

    writeFromOutside(anotherProgramsChanges);
    expectAnotherProgramsChanges(store.settings());
    EXPECT_EQ(delivered.size(), 2u);
    // The report of this store's own write is no news.
    store.update([](AppSettings& settings) { settings.pauseUntil.reset(); });
    EXPECT_EQ(delivered.size(), 3u);
    expectAnotherProgramsChanges(*stored());
    EXPECT_FALSE(stored()->pauseUntil.has_value());
}

// The report of another program's write may still be on its way when this store writes: its
// change is made to the document as it is stored then, never over it with a stale copy.
TEST_F(OutsideWriterTest, AWriteBeforeTheReportArrivesChangesOnlyWhatItChanged) {
    defaults_.setString(kKey, readTestFile("full.json"));
    SettingsStore store = makeStore();
    defaults_.setReportsChanges(false);
    writeFromOutside(anotherProgramsChanges);
    EXPECT_DOUBLE_EQ(store.settings().confidenceThreshold, 0.75);

    const TimePoint until = clock_.now() + std::chrono::minutes(15);
    store.update([&](AppSettings& settings) { settings.pauseUntil = until; });
    expectAnotherProgramsChanges(*stored());
    EXPECT_EQ(stored()->pauseUntil, until);
    // What the write found is in use from then on.
    expectAnotherProgramsChanges(store.settings());
    EXPECT_EQ(store.settings(), stored());
}

TEST_F(OutsideWriterTest, KeysOfANewerVersionSurviveEveryRewrite) {
    json document = json::parse(readTestFile("full.json"));
    document["futureSetting"] = {{"nested", true}};
    document["correctionEngine"] = "an-engine-of-later";
    document["applications"][1]["futureSwitch"] = false;
    document["manualShortcut"]["futureHint"] = "x";
    defaults_.setString(kKey, document.dump());
    SettingsStore store = makeStore();
    EXPECT_TRUE(store.problems().empty());

    store.update([](AppSettings& settings) { settings.launchAtLogin = false; });
    store.updateApplication([&] {
        auto firefox = store.settings().applications[1];
        firefox.confidenceThreshold = 0.5;
        return firefox;
    }());
    store.addApplication(application("org.kde.kate", "Kate"));
    const json written = json::parse(*defaults_.string(kKey));
    EXPECT_EQ(written["futureSetting"], document["futureSetting"]);
    EXPECT_EQ(written["correctionEngine"], "an-engine-of-later");
    ASSERT_EQ(written["applications"].size(), 3u);
    // Sorted by name now: Firefox ESR, Kate, then the Cyrillic name.
    EXPECT_EQ(written["applications"][0]["bundleIdentifier"], "firefox-esr");
    EXPECT_EQ(written["applications"][0]["futureSwitch"], false);
    EXPECT_EQ(written["applications"][0]["confidenceThreshold"], 0.5);
    EXPECT_EQ(written["manualShortcut"]["futureHint"], "x");
    EXPECT_EQ(written["launchAtLogin"], false);
}

TEST_F(OutsideWriterTest, TwoCopiesAtOnceLoseNeitherOnesChanges) {
    defaults_.setString(kKey, readTestFile("full.json"));
    SettingsStore first = makeStore();
    SettingsStore second = makeStore();
    // Neither hears of the other's writes before it writes itself.
    defaults_.setReportsChanges(false);
    first.addApplication(application("org.kde.kate", "Kate"));
    second.update([](AppSettings& settings) { settings.automaticCorrectionEnabled = true; });
    second.removeApplication("firefox-esr");
    first.update([](AppSettings& settings) { settings.confidenceThreshold = 0.6; });
    second.updateApplication(application("org.gnome.gedit", "gedit"));

    const auto final = stored();
    ASSERT_TRUE(final.has_value());
    EXPECT_TRUE(final->automaticCorrectionEnabled);
    EXPECT_DOUBLE_EQ(final->confidenceThreshold, 0.6);
    std::vector<std::string> identifiers;
    for (const auto& entry : final->applications) {
        identifiers.push_back(entry.bundleIdentifier);
    }
    EXPECT_EQ(identifiers, (std::vector<std::string>{"org.kde.kate", "org.gnome.TextEditor",
                                                     "org.gnome.gedit"}));
    EXPECT_EQ(second.settings(), *final);
    first.reload();
    EXPECT_EQ(first.settings(), *final);
}

TEST_F(OutsideWriterTest, AResetByAnotherCopyOrAFileMadeUnreadableIsTakenInSafely) {
    defaults_.setString(kKey, readTestFile("full.json"));
    SettingsStore store = makeStore();
    SettingsStore other = makeStore();
    other.reset();
    EXPECT_EQ(store.settings(), AppSettings{});

    store.update([](AppSettings& settings) { settings.hasCompletedOnboarding = true; });
    defaults_.setString(kKey, "{\"monitoringEnabled\": tru");
    // A document broken by hand leaves the settings in use as they were.
    EXPECT_TRUE(store.settings().hasCompletedOnboarding);
    ASSERT_EQ(store.problems().size(), 1u);
    EXPECT_EQ(store.problems()[0],
              "settings could not be read (it is not valid JSON): keeping the current "
              "settings; your file is kept as Plovik.AppSettings.v1.unreadable-20261206T194500Z");
    defaults_.setString(kKey, readTestFile("full.json"));
    EXPECT_EQ(store.settings(), fullSettings());
    EXPECT_TRUE(store.problems().empty());

    defaults_.setUnreadable(kKey);
    store.reload();
    EXPECT_EQ(store.settings(), fullSettings());
    EXPECT_TRUE(store.storedDocumentUnreadable());
    EXPECT_EQ(store.problems(),
              std::vector<std::string>{
                  "settings could not be read (Permission denied): keeping the current "
                  "settings; your file is kept as Plovik.AppSettings.v1, and changes are not "
                  "saved"});
}

}  // namespace
}  // namespace plovik
