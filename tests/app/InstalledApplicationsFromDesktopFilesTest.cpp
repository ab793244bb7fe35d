#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "app/coordinator/InstalledApplicationService.h"
#include "core/support/Url.h"
#include "platform/linux/XdgApplicationCatalog.h"
#include "support/TemporaryDirectory.h"

namespace plovik {
namespace {

namespace fs = std::filesystem;
using testing::writeFile;

std::string entry(const std::string& name) {
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=true\n";
}

// The application list of the settings window, read from desktop entry files.
class InstalledApplicationsFromDesktopFilesTest : public ::testing::Test {
  protected:
    InstalledApplicationsFromDesktopFilesTest()
        : catalog_([this](const std::string& name) -> std::optional<std::string> {
              const auto found = variables_.find(name);
              return found == variables_.end() ? std::nullopt : std::optional(found->second);
          }) {}

    fs::path userApplications() const { return root_.path() / "home/applications"; }
    fs::path systemApplications() const { return root_.path() / "system/applications"; }

    testing::TemporaryDirectory root_;
    std::map<std::string, std::string> variables_{
        {"HOME", (root_.path() / "user").string()},
        {"XDG_DATA_HOME", (root_.path() / "home").string()},
        {"XDG_DATA_DIRS", (root_.path() / "system").string()}};
    XdgApplicationCatalog catalog_;
};

TEST_F(InstalledApplicationsFromDesktopFilesTest, SuggestsAndBuildsEntriesFromTheFiles) {
    InstalledApplicationService service(catalog_, text::LocalizedComparison("en_US"));
    EXPECT_TRUE(service.suggestedApplications().empty());

    writeFile(userApplications() / "org.telegram.desktop.desktop", entry("Telegram Desktop"));
    writeFile(systemApplications() / "slack.desktop", entry("Slack"));
    writeFile(systemApplications() / "zed.desktop", entry("zed"));
    const auto suggestions = service.suggestedApplications();
    ASSERT_EQ(suggestions.size(), 2u);
    EXPECT_EQ(suggestions[0].application.bundleIdentifier, "slack");
    EXPECT_EQ(suggestions[1].application.bundleIdentifier, "org.telegram.desktop");
    EXPECT_EQ(suggestions[1].application.displayName, "Telegram Desktop");
    EXPECT_EQ(suggestions[1].application.applicationURL,
              Url::fileUrl((userApplications() / "org.telegram.desktop.desktop").string()));

    const auto listed = service.installedApplications();
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[0].name, "Slack");
    EXPECT_EQ(listed[2].name, "zed");

    // Uninstalled between listing and choosing.
    fs::remove(systemApplications() / "zed.desktop");
    const auto chosen = service.chooseApplication(listed[2]);
    EXPECT_EQ(chosen.bundleIdentifier, "local.zed");
    EXPECT_EQ(chosen.displayName, "zed");
}

}  // namespace
}  // namespace plovik
