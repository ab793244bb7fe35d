#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "core/settings/SettingsDocument.h"
#include "core/settings/SettingsStore.h"
#include "core/support/ManualClock.h"
#include "platform/simulated/InMemoryDefaultsDatabase.h"
#include "settings/SettingsTestSupport.h"

namespace plovik {
namespace {

using testing::application;
using testing::readTestFile;

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

    InMemoryDefaultsDatabase defaults_;
    // 2026-12-06 19:45:00 UTC
    ManualClock clock_{TimePoint{std::chrono::seconds{1'796'586'300}}};
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

TEST_F(SettingsStoreTest, KeepsAnUnreadableDocumentAsideBeforeTheFirstWrite) {
    std::string damaged = readTestFile("full.json");
    damaged.replace(damaged.find("\"Submarine\""), 11, "\"submarine\"");
    defaults_.setString(kKey, damaged);

    SettingsStore store = makeStore();
    EXPECT_EQ(store.settings(), AppSettings{});
    EXPECT_EQ(defaults_.string(kKey), damaged);  // untouched until a write
    EXPECT_EQ(defaults_.contents().size(), 1u);

    // While the copy cannot be made, the original is not overwritten either.
    defaults_.setFailsWrites(true);
    store.update([](AppSettings& settings) { settings.hasCompletedOnboarding = true; });
    EXPECT_EQ(defaults_.string(kKey), damaged);
    defaults_.setFailsWrites(false);

    const std::string aside = std::string(kKey) + ".unreadable-20261206T194500Z";
    store.update([](AppSettings& settings) { settings.launchAtLogin = true; });
    EXPECT_EQ(defaults_.string(aside), damaged);
    EXPECT_EQ(stored(), store.settings());
    EXPECT_TRUE(store.settings().hasCompletedOnboarding);

    // Only once: later writes leave the copy alone and make no other.
    store.update([](AppSettings& settings) { settings.launchAtLogin = false; });
    EXPECT_EQ(defaults_.contents().size(), 2u);
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
}

TEST_F(SettingsStoreTest, AnUnreadableEarlierCopyIsNotOverwrittenEither) {
    const std::string aside = std::string(kKey) + ".unreadable-20261206T194500Z";
    defaults_.setUnreadable(aside);
    defaults_.setString(kKey, "{\"monitoringEnabled\":true}");
    SettingsStore store = makeStore();
    store.reset();
    EXPECT_EQ(defaults_.string(aside + "-2"), "{\"monitoringEnabled\":true}");
    EXPECT_EQ(defaults_.entry(aside), DefaultsDatabase::Entry(DefaultsDatabase::Unreadable{}));
}

}  // namespace
}  // namespace plovik
