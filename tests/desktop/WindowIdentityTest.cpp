#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/linux/DesktopEntryFiles.h"
#include "platform/x11/WindowIdentity.h"
#include "support/TemporaryDirectory.h"

namespace plovik {
namespace {

using testing::TemporaryDirectory;

class WindowIdentityTest : public ::testing::Test {
  protected:
    void entry(const std::filesystem::path& folder, const std::string& file,
               const std::string& body) {
        std::filesystem::create_directories((folder / file).parent_path());
        testing::writeFile(folder / file, "[Desktop Entry]\nType=Application\n" + body);
    }

    DesktopEntryCatalog catalog() const { return DesktopEntryCatalog({user(), system()}); }
    std::filesystem::path user() const { return home_.path() / "user"; }
    std::filesystem::path system() const { return home_.path() / "system"; }

    TemporaryDirectory home_;
};

TEST_F(WindowIdentityTest, GtkApplicationIdIsTheIdentityUnlessNoEntryHasIt) {
    entry(system(), "org.gnome.gedit.desktop", "Name=Text Editor\nExec=gedit %U\n");
    entry(system(), "libreoffice-writer.desktop",
          "Name=LibreOffice Writer\nStartupWMClass=libreoffice-writer\n");
    entry(system(), "libreoffice-calc.desktop",
          "Name=LibreOffice Calc\nStartupWMClass=libreoffice-calc\n");
    WindowIdentity window{"org.gnome.gedit", "gedit", "Gedit", 42, "gedit"};
    EXPECT_EQ(window.application(catalog()),
              (RunningApplication{42, "org.gnome.gedit", "Text Editor"}));
    window.gtkApplicationId = "org.example.Unlisted";
    window.wmInstance = window.wmClass = window.executable = "unlisted";
    EXPECT_EQ(window.application(catalog()),
              (RunningApplication{42, "org.example.Unlisted", "unlisted"}));
    // Every LibreOffice module has the same id; the window class names the module.
    EXPECT_EQ(
        (WindowIdentity{"org.libreoffice", "libreoffice", "libreoffice-writer", 43, "soffice.bin"})
            .application(catalog()),
        (RunningApplication{43, "libreoffice-writer", "LibreOffice Writer"}));
}

TEST_F(WindowIdentityTest, WmClassMatchesStartupWmClassThenTheEntrysName) {
    entry(system(), "firefox-esr.desktop", "Name=Firefox ESR\nStartupWMClass=firefox-esr\n");
    entry(system(), "org.kde.kwrite.desktop", "Name=KWrite\nStartupWMClass=KWrite\n");
    entry(system(), "org.gnome.gedit.desktop", "Name=Text Editor\n");
    const auto applications = catalog();
    EXPECT_EQ((WindowIdentity{std::nullopt, "Navigator", "firefox-esr", 7, "firefox-esr"})
                  .application(applications)
                  .bundleIdentifier,
              "firefox-esr");
    // Case differs between the window and the entry.
    EXPECT_EQ((WindowIdentity{std::nullopt, "kwrite", "kwrite", 8, "kwrite"})
                  .application(applications)
                  .bundleIdentifier,
              "org.kde.kwrite");
    // No StartupWMClass: the last part of a reverse-domain id.
    EXPECT_EQ(
        (WindowIdentity{std::nullopt, "gedit", "Gedit", 9, "gedit"}).application(applications),
        (RunningApplication{9, "org.gnome.gedit", "Text Editor"}));
}

TEST_F(WindowIdentityTest, FallsBackToTheProgramAndItsEntry) {
    entry(system(), "featherpad.desktop",
          "Name=FeatherPad\nExec=env QT_SCALE=1 /usr/bin/featherpad %U\n");
    const auto applications = catalog();
    EXPECT_EQ((WindowIdentity{std::nullopt, "fp-main", "FpMain", 5, "featherpad"})
                  .application(applications),
              (RunningApplication{5, "featherpad", "FeatherPad"}));
    // Nothing known: the program's own name.
    EXPECT_EQ((WindowIdentity{std::nullopt, std::nullopt, std::nullopt, 6, "mytool"})
                  .application(applications),
              (RunningApplication{6, "mytool", "mytool"}));
}

TEST_F(WindowIdentityTest, TheUsersEntryWinsAndHiddenOrBrokenEntriesDoNotCount) {
    entry(system(), "org.example.App.desktop", "Name=System Copy\n");
    entry(user(), "org.example.App.desktop", "Name=My Copy\n");
    entry(system(), "org.example.Gone.desktop", "Name=Gone\nHidden=true\n");
    testing::writeFile(system() / "broken.desktop", "not a key file [");
    entry(system(), "kde4/okular.desktop", "Name=Okular\n");
    const auto applications = catalog();
    EXPECT_EQ(applications.byId("org.example.App")->name, "My Copy");
    EXPECT_FALSE(applications.byId("org.example.Gone"));
    EXPECT_FALSE(applications.byId("broken"));
    EXPECT_EQ(applications.byId("kde4-okular")->name, "Okular");
}

TEST_F(WindowIdentityTest, ApplicationFoldersFollowTheXdgRules) {
    const auto folders = DesktopEntryFiles::applicationFolders(
        [](const std::string& name) -> std::optional<std::string> {
            if (name == "XDG_DATA_HOME") {
                return "/home/u/.data";
            }
            if (name == "XDG_DATA_DIRS") {
                return "/opt/share:relative:/usr/share";
            }
            return std::nullopt;
        });
    EXPECT_EQ(folders, (std::vector<std::filesystem::path>{"/home/u/.data/applications",
                                                           "/opt/share/applications",
                                                           "/usr/share/applications"}));
}

TEST_F(WindowIdentityTest, TheProgramOfThisProcessIsKnown) {
    EXPECT_EQ(WindowIdentity::executableOf(::getpid()), std::optional<std::string>("test_desktop"));
    EXPECT_FALSE(WindowIdentity::executableOf(0));
}

}  // namespace
}  // namespace plovik
