#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings/SettingsEdit.h"
#include "settings/SettingsTestSupport.h"

namespace plovik {
namespace {

using testing::application;
using json = nlohmann::json;

AppSettings withApplications(const std::vector<std::string>& identifiers) {
    AppSettings settings;
    for (const auto& identifier : identifiers) {
        settings.applications.push_back(application(identifier, identifier));
    }
    return settings;
}

std::vector<std::string> identifiersIn(const json& document) {
    std::vector<std::string> identifiers;
    for (const auto& entry : document["applications"]) {
        identifiers.push_back(entry["bundleIdentifier"].get<std::string>());
    }
    return identifiers;
}

// The stored list as another writer left it, with this change made to it.
std::vector<std::string> merged(const AppSettings& before, const AppSettings& after,
                                const std::vector<std::string>& stored) {
    json document = *withApplications(stored).toJson();
    SettingsEdit::between(before, after)->applyTo(document);
    return identifiersIn(document);
}

TEST(SettingsEdit, ApplicationsMergeEntryByEntryWithAnotherWritersList) {
    const auto before = withApplications({"a", "c"});
    // Added here: after the entry it follows here, wherever that is now.
    EXPECT_EQ(merged(before, withApplications({"a", "b", "c"}), {"x", "a", "c", "y"}),
              (std::vector<std::string>{"x", "a", "b", "c", "y"}));
    EXPECT_EQ(merged(before, withApplications({"z", "a", "c"}), {"x", "a", "c"}),
              (std::vector<std::string>{"z", "x", "a", "c"}));
    // Removed here, and only that.
    EXPECT_EQ(merged(before, withApplications({"a"}), {"x", "a", "c"}),
              (std::vector<std::string>{"x", "a"}));
    // Reordered here: ours take each other's places, the other writer's stay in theirs.
    EXPECT_EQ(merged(before, withApplications({"c", "a"}), {"a", "x", "c"}),
              (std::vector<std::string>{"c", "x", "a"}));
    // Nothing of the list changed here: another writer's order stands.
    EXPECT_EQ(merged(before, before, {"c", "x", "a"}), (std::vector<std::string>{"c", "x", "a"}));

    // Changed here but removed by the other writer meanwhile: the removal stands.
    auto changed = before;
    changed.applications[1].isEnabled = false;
    EXPECT_EQ(merged(before, changed, {"a"}), (std::vector<std::string>{"a"}));
}

TEST(SettingsEdit, OnlyTheMembersThatChangedAreWritten) {
    AppSettings before;
    before.applications = {application("a", "A")};
    AppSettings after = before;
    after.applications[0].confidenceThreshold = 0.5;
    after.pauseUntil = TimePoint{std::chrono::seconds(1'800'000'000)};
    json document = *before.toJson();
    document["confidenceThreshold"] = 0.55;
    document["applications"][0]["isEnabled"] = false;
    document["applications"][0]["later"] = 1;
    SettingsEdit::between(before, after)->applyTo(document);
    EXPECT_EQ(document["confidenceThreshold"], 0.55);
    EXPECT_EQ(document["applications"][0]["isEnabled"], false);
    EXPECT_EQ(document["applications"][0]["confidenceThreshold"], 0.5);
    EXPECT_EQ(document["applications"][0]["later"], 1);
    EXPECT_TRUE(document.contains("pauseUntil"));

    // Resuming removes the member; a document that is no object becomes the whole record.
    SettingsEdit::between(after, before)->applyTo(document);
    EXPECT_FALSE(document.contains("pauseUntil"));
    json nothing;
    SettingsEdit::between(before, after)->applyTo(nothing);
    EXPECT_EQ(nothing, *after.toJson());
}

}  // namespace
}  // namespace plovik
