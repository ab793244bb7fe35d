#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SessionSupport.h"
#include "app/coordinator/InstalledApplicationService.h"
#include "platform/simulated/SimulatedApplicationCatalog.h"

namespace plovik {
namespace {

const std::vector<std::uint8_t> kIcon{0x89, 'P', 'N', 'G'};

InstalledApplication entry(const std::string& identifier, const std::string& name) {
    return {identifier, name, "/usr/share/applications/" + identifier + ".desktop"};
}

class InstalledApplicationServiceTest : public ::testing::Test {
  protected:
    SimulatedApplicationCatalog catalog_;
    InstalledApplicationService service_{catalog_, text::LocalizedComparison("en_US")};
};

TEST_F(InstalledApplicationServiceTest, SuggestsTheInstalledChatApplicationsInTableOrder) {
    EXPECT_TRUE(service_.suggestedApplications().empty());

    catalog_.install(entry("org.gnome.TextEditor", "Text Editor"));
    catalog_.install(entry("telegramdesktop", "Telegram Desktop"), kIcon);
    catalog_.install(entry("org.telegram.desktop", "Telegram"));
    catalog_.install(entry("com.slack.Slack", "Slack"));
    // Not shown in menus: not offered.
    catalog_.install(entry("slack", "Slack"), std::nullopt, false);

    const auto suggestions = service_.suggestedApplications();
    ASSERT_EQ(suggestions.size(), 3u);
    EXPECT_EQ(suggestions[0].id, "com.slack.Slack");
    EXPECT_EQ(suggestions[1].id, "org.telegram.desktop");
    EXPECT_EQ(suggestions[2].id, "telegramdesktop");
    for (const auto& suggestion : suggestions) {
        EXPECT_FALSE(suggestion.isSelected);
        EXPECT_EQ(suggestion.application.bundleIdentifier, suggestion.id);
    }
    EXPECT_EQ(suggestions[2].application.displayName, "Telegram Desktop");
    EXPECT_EQ(suggestions[2].application.iconData, kIcon);
    EXPECT_EQ(suggestions[0].application.iconData, std::nullopt);
}

TEST_F(InstalledApplicationServiceTest, ANewEntryHasEverySwitchOnAndTheDefaultThreshold) {
    catalog_.install(entry("org.gnome.TextEditor", "Text Editor"), kIcon);
    const auto application = service_.chooseApplication(entry("org.gnome.TextEditor", "Editor"));
    EXPECT_EQ(application.bundleIdentifier, "org.gnome.TextEditor");
    EXPECT_EQ(application.displayName, "Text Editor");
    EXPECT_EQ(application.applicationURL,
              Url::fileUrl("/usr/share/applications/org.gnome.TextEditor.desktop"));
    EXPECT_EQ(application.iconData, kIcon);
    EXPECT_TRUE(application.isEnabled);
    EXPECT_TRUE(application.automaticCorrectionEnabled);
    EXPECT_TRUE(application.switchInputSourceAfterCorrection);
    EXPECT_TRUE(application.manualCorrectionEnabled);
    EXPECT_DOUBLE_EQ(application.confidenceThreshold, 0.9);
}

TEST_F(InstalledApplicationServiceTest, AnEntryThatCannotBeReadStillGivesALocalIdentifier) {
    // Chosen from the list, then removed before it was read.
    const auto chosen = InstalledApplication{"foo", "Foo", "/opt/apps/Foo Bar.desktop"};
    const auto application = service_.chooseApplication(chosen);
    EXPECT_EQ(application.bundleIdentifier, "local.Foo Bar");
    EXPECT_EQ(application.displayName, "Foo");
    EXPECT_EQ(application.applicationURL, Url::fileUrl("/opt/apps/Foo Bar.desktop"));
    EXPECT_EQ(application.iconData, std::nullopt);
    EXPECT_TRUE(application.isEnabled);

    const auto fromUrl = service_.makeApplication(*Url::parse("file:///opt/Plain"), "Plain");
    EXPECT_EQ(fromUrl.bundleIdentifier, "local.Plain");
    const auto dotted =
        service_.makeApplication(*Url::fileUrl("/x/org.telegram.desktop.desktop"), "Telegram");
    EXPECT_EQ(dotted.bundleIdentifier, "local.org.telegram.desktop");
    EXPECT_EQ(dotted.displayName, "Telegram");
}

TEST_F(InstalledApplicationServiceTest, AnEntryWithoutANameTakesTheFallback) {
    catalog_.install({"nameless", "", "/a/nameless.desktop"});
    EXPECT_EQ(
        service_.makeApplication(*Url::fileUrl("/a/nameless.desktop"), "Fallback").displayName,
        "Fallback");
}

TEST_F(InstalledApplicationServiceTest, ListsShownApplicationsByNameIgnoringCase) {
    catalog_.install(entry("zoom", "Zoom"));
    catalog_.install(entry("b", "apple"));
    catalog_.install(entry("a", "Apple"));
    catalog_.install(entry("editor", "Éditeur"));
    catalog_.install(entry("hidden", "Aaa Hidden"), std::nullopt, false);
    std::vector<std::string> order;
    for (const auto& application : service_.installedApplications()) {
        order.push_back(application.identifier);
    }
    // Equal names keep a stable order by identifier.
    EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "editor", "zoom"}));
}

TEST_F(InstalledApplicationServiceTest, AnIconTooLargeForTheSettingsIsLeftOut) {
    catalog_.install(entry("big", "Big"),
                     std::vector<std::uint8_t>(EnabledApplication::kMaximumIconBytes + 1, 0));
    EXPECT_EQ(service_.chooseApplication(entry("big", "Big")).iconData, std::nullopt);
}

TEST(CoordinatorDesktopServices, TheCoordinatorOffersApplicationsAndShortcutWarnings) {
    auto session = testing::makeSession();
    session->shortcutProbe().hold(Key::p, Modifier::alt | Modifier::super);
    EXPECT_EQ(session->coordinator().shortcutConflictDetector().conflictDescription(
                  ShortcutDefinition::altSuperP()),
              ShortcutConflictDetector::kReservedMessage);

    session->applicationCatalog().install(entry("org.telegram.desktop", "Telegram"));
    const auto suggestions =
        session->coordinator().installedApplicationService().suggestedApplications();
    ASSERT_EQ(suggestions.size(), 1u);
    EXPECT_EQ(suggestions[0].application.bundleIdentifier, "org.telegram.desktop");
}

}  // namespace
}  // namespace plovik
