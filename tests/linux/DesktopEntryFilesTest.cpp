#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/linux/DesktopEntryFiles.h"
#include "support/TemporaryDirectory.h"

namespace plovik {
namespace {

namespace fs = std::filesystem;
using testing::writeFile;

using Found = DesktopEntryFiles::Found;

TEST(DesktopEntryFiles, TheFirstFolderWinsAnIdAndSubFoldersBecomeDashes) {
    testing::TemporaryDirectory directory;
    const auto user = directory.path() / "user" / "applications";
    const auto system = directory.path() / "system" / "applications";
    writeFile(user / "editor.desktop", "user's");
    writeFile(system / "editor.desktop", "system's");
    writeFile(system / "kde4" / "viewer.desktop", "");
    writeFile(system / "notes.txt", "");
    writeFile(system / ".desktop", "");

    EXPECT_EQ(DesktopEntryFiles::find({user, system}),
              (Found{{"editor", user / "editor.desktop"},
                     {"kde4-viewer", system / "kde4" / "viewer.desktop"}}));
}

// Within a folder a file and a sub-folder's file can claim one id: the same one wins on
// every run, whatever order the file system lists them in.
TEST(DesktopEntryFiles, SettlesAnIdClaimedTwiceInOneFolderByPath) {
    testing::TemporaryDirectory directory;
    const auto folder = directory.path() / "applications";
    writeFile(folder / "kde4-viewer.desktop", "");
    writeFile(folder / "kde4" / "viewer.desktop", "");

    EXPECT_EQ(DesktopEntryFiles::find({folder}),
              (Found{{"kde4-viewer", folder / "kde4" / "viewer.desktop"}}));
}

TEST(DesktopEntryFiles, PassesOverAFolderItCannotRead) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads every folder";
    }
    testing::TemporaryDirectory directory;
    const auto folder = directory.path() / "applications";
    writeFile(folder / "a-locked" / "hidden.desktop", "");
    writeFile(folder / "editor.desktop", "");
    fs::permissions(folder / "a-locked", fs::perms::none);

    const auto found = DesktopEntryFiles::find({folder});
    fs::permissions(folder / "a-locked", fs::perms::owner_all);
    EXPECT_EQ(found, (Found{{"editor", folder / "editor.desktop"}}));
}

TEST(DesktopEntryFiles, AreSearchedInTheUsersDataFolderFirst) {
    const auto folders = DesktopEntryFiles::applicationFolders([](const std::string& variable) {
        if (variable == "XDG_DATA_HOME") {
            return std::optional<std::string>("/home/u/.local/share");
        }
        if (variable == "XDG_DATA_DIRS") {
            return std::optional<std::string>("/opt/share:relative:/usr/share");
        }
        return std::optional<std::string>();
    });
    EXPECT_EQ(folders,
              (std::vector<fs::path>{"/home/u/.local/share/applications", "/opt/share/applications",
                                     "/usr/share/applications"}));
}

}  // namespace
}  // namespace plovik
