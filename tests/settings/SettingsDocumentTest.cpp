#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/settings/SettingsDocument.h"
#include "settings/SettingsTestSupport.h"

namespace plovik {
namespace {

using testing::bytesOf;
using testing::fullSettings;
using testing::readTestFile;
using json = nlohmann::json;

std::optional<AppSettings> decodeJson(const json& document) {
    return SettingsDocument::decode(bytesOf(document.dump()));
}

TEST(SettingsDocument, WritesAndReadsTheGoldenDocuments) {
    for (const auto& [name, settings] :
         {std::pair{"defaults.json", AppSettings{}}, std::pair{"full.json", fullSettings()}}) {
        const std::string golden = readTestFile(name);
        ASSERT_FALSE(golden.empty()) << name;
        const auto encoded = SettingsDocument::encode(settings);
        ASSERT_TRUE(encoded.has_value());
        EXPECT_EQ(std::string(encoded->begin(), encoded->end()), golden) << name;
        EXPECT_EQ(SettingsDocument::decode(bytesOf(golden)), settings) << name;
    }
}

TEST(SettingsDocument, ToleratesUnknownKeysNullOptionalsAndAnyKeyOrder) {
    const auto settings = SettingsDocument::decode(bytesOf(readTestFile("tolerant.json")));
    ASSERT_TRUE(settings.has_value());
    EXPECT_FALSE(settings->correctionSound.has_value());
    EXPECT_FALSE(settings->pauseUntil.has_value());
    EXPECT_DOUBLE_EQ(settings->confidenceThreshold, 1.0);
    EXPECT_TRUE(settings->hasCompletedOnboarding);
    ASSERT_EQ(settings->applications.size(), 1u);
    EXPECT_EQ(settings->applications[0], testing::application("org.kde.kate", "Kate"));
    // JSON has one kind of number: 49.0 is the key code 49.
    EXPECT_EQ(settings->undoShortcut, ShortcutDefinition::altShiftSpace());

    // A document without a sound loads with none; it is written back without the key.
    json withoutSound = json::parse(readTestFile("defaults.json"));
    withoutSound.erase("correctionSound");
    const auto silent = decodeJson(withoutSound);
    ASSERT_TRUE(silent.has_value());
    EXPECT_FALSE(silent->correctionSound.has_value());
    EXPECT_FALSE(json::parse(*SettingsDocument::encode(*silent)).contains("correctionSound"));
}

TEST(SettingsDocument, RefusesAWholeDocumentWithAnyRequiredKeyMissing) {
    const json full = json::parse(readTestFile("full.json"));
    for (const auto& [key, value] : full.items()) {
        if (key == "correctionSound" || key == "pauseUntil") {
            continue;
        }
        json damaged = full;
        damaged.erase(key);
        EXPECT_FALSE(decodeJson(damaged).has_value()) << key;
    }
    for (const auto& [key, value] : full["applications"][0].items()) {
        if (key == "applicationURL" || key == "iconData") {
            continue;
        }
        json damaged = full;
        damaged["applications"][1].erase(key);
        EXPECT_FALSE(decodeJson(damaged).has_value()) << "application " << key;
    }
    for (const char* shortcut : {"manualShortcut", "undoShortcut", "pauseShortcut"}) {
        for (const char* key : {"keyCode", "modifiers"}) {
            json damaged = full;
            damaged[shortcut].erase(key);
            EXPECT_FALSE(decodeJson(damaged).has_value()) << shortcut << "." << key;
        }
    }
}

TEST(SettingsDocument, RefusesWrongTypesUnknownSoundsBadUrlsAndBadBase64) {
    const json full = json::parse(readTestFile("full.json"));
    const std::vector<std::pair<json::json_pointer, json>> damages = {
        {json::json_pointer("/monitoringEnabled"), 1},
        {json::json_pointer("/automaticCorrectionEnabled"), "true"},
        {json::json_pointer("/confidenceThreshold"), "0.9"},
        {json::json_pointer("/confidenceThreshold"), nullptr},
        {json::json_pointer("/hasCompletedOnboarding"), nullptr},
        {json::json_pointer("/applications"), json::object()},
        {json::json_pointer("/applications/0"), json::array()},
        {json::json_pointer("/manualShortcut"), 49},
        {json::json_pointer("/undoShortcut/keyCode"), -1},
        {json::json_pointer("/undoShortcut/keyCode"), 65536},
        {json::json_pointer("/undoShortcut/keyCode"), 49.5},
        {json::json_pointer("/undoShortcut/keyCode"), 65536.0},
        {json::json_pointer("/pauseShortcut/modifiers"), 1.5},
        {json::json_pointer("/pauseShortcut/modifiers"), -1},
        {json::json_pointer("/pauseShortcut/modifiers"), 18446744073709551616.0},
        {json::json_pointer("/correctionSound"), "pop"},
        {json::json_pointer("/correctionSound"), "Ping"},
        {json::json_pointer("/correctionSound"), 0},
        {json::json_pointer("/pauseUntil"), "2026-12-06"},
        {json::json_pointer("/applications/0/bundleIdentifier"), 7},
        {json::json_pointer("/applications/0/isEnabled"), "yes"},
        {json::json_pointer("/applications/0/confidenceThreshold"), true},
        {json::json_pointer("/applications/0/applicationURL"), "not a url"},
        {json::json_pointer("/applications/0/applicationURL"), "/usr/share/applications/x"},
        {json::json_pointer("/applications/0/applicationURL"), 3},
        {json::json_pointer("/applications/0/iconData"), "iVBORw0KGgo"},
        {json::json_pointer("/applications/0/iconData"), "iVBO Rw0KGgo="},
        {json::json_pointer("/applications/0/iconData"), json::array({137, 80})},
    };
    for (const auto& [pointer, value] : damages) {
        json damaged = full;
        damaged[pointer] = value;
        EXPECT_FALSE(decodeJson(damaged).has_value()) << pointer.to_string() << " = " << value;
    }
    for (const std::string text :
         {"", "null", "[]", "\"settings\"", "{", "{\"monitoringEnabled\":"}) {
        EXPECT_FALSE(SettingsDocument::decode(bytesOf(text)).has_value()) << text;
    }
    std::string invalidUtf8 = readTestFile("full.json");
    invalidUtf8.replace(invalidUtf8.find("Firefox"), 1, "\xFF");
    EXPECT_FALSE(SettingsDocument::decode(bytesOf(invalidUtf8)).has_value());
}

TEST(SettingsDocument, EveryCaseOfTheSoundRoundTrips) {
    EXPECT_EQ(kAllCorrectionSounds.front(), CorrectionSound::pop);
    for (const auto sound : kAllCorrectionSounds) {
        AppSettings settings;
        settings.correctionSound = sound;
        const auto encoded = SettingsDocument::encode(settings);
        EXPECT_EQ(json::parse(*encoded)["correctionSound"], std::string(displayName(sound)));
        EXPECT_EQ(SettingsDocument::decode(*encoded), settings);
    }
}

TEST(SettingsDocument, WritesNothingThatCouldNotBeReadBack) {
    AppSettings settings;
    settings.confidenceThreshold = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(SettingsDocument::encode(settings).has_value());
    settings = AppSettings{};
    settings.applications.push_back(
        testing::application("a", "A", std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(SettingsDocument::encode(settings).has_value());

    // A name with a broken byte still saves, with the byte replaced.
    settings.applications = {testing::application("a", "Bad\xFFName")};
    const auto encoded = SettingsDocument::encode(settings);
    ASSERT_TRUE(encoded.has_value());
    const auto decoded = SettingsDocument::decode(*encoded);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->applications[0].displayName, "Bad\xEF\xBF\xBDName");

    // A pause too far away for the clock is kept as the farthest moment, not refused.
    json far = json::parse(readTestFile("defaults.json"));
    far["pauseUntil"] = 1e300;
    const auto paused = decodeJson(far);
    ASSERT_TRUE(paused && paused->pauseUntil);
    EXPECT_GT(*paused->pauseUntil, ReferenceDate::fromSecondsSinceReferenceDate(1e9));
}

}  // namespace
}  // namespace plovik

namespace plovik {
namespace {

TEST(SettingsDocument, TheConvertShortcutIsAddedWithoutTouchingTheOtherKeys) {
    // Documents written before the shortcut existed keep everything and get the default.
    const std::string golden = readTestFile("full.json");
    const auto old = SettingsDocument::decode(bytesOf(golden));
    ASSERT_TRUE(old.has_value());
    EXPECT_EQ(old->convertShortcut, ShortcutDefinition::altSuperC());
    EXPECT_EQ(old->undoShortcut, fullSettings().undoShortcut);

    AppSettings recorded = fullSettings();
    recorded.convertShortcut = ShortcutDefinition(Key::k, Modifier::control | Modifier::alt);
    const auto encoded = SettingsDocument::encode(recorded);
    ASSERT_TRUE(encoded.has_value());
    json written = json::parse(encoded->begin(), encoded->end());
    EXPECT_EQ(written.at("convertShortcut"), (json{{"keyCode", 40}, {"modifiers", 0xC0000}}));
    EXPECT_EQ(SettingsDocument::decode(*encoded), recorded);
    written.erase("convertShortcut");
    EXPECT_EQ(written, json::parse(golden)) << "every other key as before";

    // A damaged shortcut costs only itself.
    for (const json& value : {json(8), json::object({{"keyCode", 8}}), json(nullptr)}) {
        json document = json::parse(golden);
        document["convertShortcut"] = value;
        const auto read = decodeJson(document);
        ASSERT_TRUE(read.has_value()) << value;
        EXPECT_EQ(read->convertShortcut, ShortcutDefinition::altSuperC()) << value;
        EXPECT_EQ(read->applications, fullSettings().applications) << value;
    }
}

TEST(SettingsDocument, TheEngineChoiceDefaultsToExtendedAndRoundTrips) {
    using json = nlohmann::json;
    EXPECT_EQ(AppSettings{}.correctionEngine, CorrectionEngineKind::extended);
    // Documents written before the choice existed have no key and read as the extended engine.
    const auto old = SettingsDocument::decode(testing::bytesOf(testing::readTestFile("full.json")));
    ASSERT_TRUE(old.has_value());
    EXPECT_EQ(old->correctionEngine, CorrectionEngineKind::extended);

    // The standard engine, once chosen, is written out and stays chosen.
    AppSettings standard = testing::fullSettings();
    standard.correctionEngine = CorrectionEngineKind::described;
    const auto encoded = SettingsDocument::encode(standard);
    ASSERT_TRUE(encoded.has_value());
    const json written = json::parse(encoded->begin(), encoded->end());
    EXPECT_EQ(written.at("correctionEngine"), "described");
    EXPECT_EQ(SettingsDocument::decode(*encoded), standard);

    // An engine this version does not know, or a value of the wrong type, falls back to the
    // default engine instead of losing the whole document.
    for (const json& value : {json("neural"), json(1), json(nullptr), json("Described")}) {
        json document = written;
        document["correctionEngine"] = value;
        const auto read = SettingsDocument::decode(testing::bytesOf(document.dump()));
        ASSERT_TRUE(read.has_value()) << value;
        EXPECT_EQ(read->correctionEngine, CorrectionEngineKind::extended) << value;
        EXPECT_EQ(read->applications, standard.applications) << value;
    }
    EXPECT_EQ(correctionEngineKindFromRawValue("extended"), CorrectionEngineKind::extended);
}

}  // namespace
}  // namespace plovik
