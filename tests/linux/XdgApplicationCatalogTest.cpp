#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/linux/GlibHandles.h"
#include "platform/linux/XdgApplicationCatalog.h"
#include "support/ScopedVariable.h"
#include "support/TemporaryDirectory.h"

namespace plovik {
namespace {

namespace fs = std::filesystem;
using testing::writeFile;

std::string entry(const std::string& name, const std::string& extra = "") {
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=true\n" + extra;
}

// A PNG of the given size in one colour.
void writePng(const fs::path& file, int width, int height) {
    fs::create_directories(file.parent_path());
    glib::Object<GdkPixbuf> image(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, width, height));
    gdk_pixbuf_fill(image.get(), 0x3366ccff);
    ASSERT_TRUE(gdk_pixbuf_save(image.get(), file.c_str(), "png", nullptr, nullptr));
}

struct DecodedImage {
    int width = 0;
    int height = 0;
    // Alpha at the centre and in the top left corner.
    int centreAlpha = 0;
    int cornerAlpha = 0;
};

std::optional<DecodedImage> decodePng(const std::vector<std::uint8_t>& png) {
    glib::Object<GdkPixbufLoader> loader(gdk_pixbuf_loader_new_with_type("png", nullptr));
    if (!gdk_pixbuf_loader_write(loader.get(), png.data(), png.size(), nullptr) ||
        !gdk_pixbuf_loader_close(loader.get(), nullptr)) {
        return std::nullopt;
    }
    GdkPixbuf* image = gdk_pixbuf_loader_get_pixbuf(loader.get());
    if (image == nullptr || !gdk_pixbuf_get_has_alpha(image)) {
        return std::nullopt;
    }
    const int width = gdk_pixbuf_get_width(image);
    const int height = gdk_pixbuf_get_height(image);
    const int stride = gdk_pixbuf_get_rowstride(image);
    const guchar* pixels = gdk_pixbuf_get_pixels(image);
    return DecodedImage{width, height, pixels[(height / 2) * stride + (width / 2) * 4 + 3],
                        pixels[3]};
}

class XdgApplicationCatalogTest : public ::testing::Test {
  protected:
    XdgApplicationCatalogTest()
        : catalog_([this](const std::string& name) -> std::optional<std::string> {
              const auto found = variables_.find(name);
              return found == variables_.end() ? std::nullopt : std::optional(found->second);
          }) {}

    fs::path userApplications() const { return root_.path() / "home/applications"; }
    fs::path systemApplications() const { return root_.path() / "system/applications"; }

    std::vector<std::string> listedIdentifiers() {
        std::vector<std::string> identifiers;
        for (const auto& application : catalog_.installedApplications()) {
            identifiers.push_back(application.identifier);
        }
        std::sort(identifiers.begin(), identifiers.end());
        return identifiers;
    }

    testing::TemporaryDirectory root_;
    std::map<std::string, std::string> variables_{
        {"HOME", (root_.path() / "user").string()},
        {"XDG_DATA_HOME", (root_.path() / "home").string()},
        {"XDG_DATA_DIRS", (root_.path() / "system").string() + ":relative/ignored"}};
    XdgApplicationCatalog catalog_;
};

TEST_F(XdgApplicationCatalogTest, ListsTheApplicationsTheMenusShow) {
    writeFile(systemApplications() / "org.gnome.TextEditor.desktop", entry("Text Editor"));
    writeFile(systemApplications() / "kde/org.kde.kwrite.desktop", entry("KWrite"));
    writeFile(systemApplications() / "handler.desktop", entry("Handler", "NoDisplay=true\n"));
    writeFile(systemApplications() / "missing.desktop",
              entry("Missing", "TryExec=/nonexistent/program\n"));
    writeFile(systemApplications() / "link.desktop",
              "[Desktop Entry]\nType=Link\nName=Link\nURL=https://example.org\n");
    writeFile(systemApplications() / "broken.desktop", "not a desktop entry\n");
    writeFile(systemApplications() / "notes.txt", entry("Not An Entry"));
    // The user's folder comes first: a Hidden entry removes the system one, another
    // entry replaces it.
    writeFile(systemApplications() / "removed.desktop", entry("Removed"));
    writeFile(userApplications() / "removed.desktop", entry("Removed", "Hidden=true\n"));
    writeFile(systemApplications() / "renamed.desktop", entry("System Name"));
    fs::create_directory_symlink(systemApplications(), systemApplications() / "loop");
    writeFile(userApplications() / "renamed.desktop", entry("User Name"));

    EXPECT_EQ(listedIdentifiers(),
              (std::vector<std::string>{"kde-org.kde.kwrite", "org.gnome.TextEditor", "renamed"}));
    const auto renamed = catalog_.application("renamed");
    ASSERT_TRUE(renamed);
    EXPECT_EQ(renamed->name, "User Name");
    EXPECT_EQ(renamed->filePath, (userApplications() / "renamed.desktop").string());

    EXPECT_EQ(catalog_.application("kde-org.kde.kwrite")->name, "KWrite");
    for (const char* absent : {"handler", "missing", "link", "removed", "broken", "nothing"}) {
        EXPECT_EQ(catalog_.application(absent), std::nullopt) << absent;
    }
}

TEST_F(XdgApplicationCatalogTest, ReadsAnEntryFileWhereverItLies) {
    writeFile(systemApplications() / "sub/dir/app.desktop", entry("Nested"));
    writeFile(root_.path() / "elsewhere/Foo Bar.desktop", entry("Foo", "NoDisplay=true\n"));

    const auto nested = catalog_.applicationAt(systemApplications() / "sub/dir/app.desktop");
    ASSERT_TRUE(nested);
    EXPECT_EQ(nested->identifier, "sub-dir-app");
    // Not shown in menus, but it is an application all the same.
    const auto elsewhere = catalog_.applicationAt(root_.path() / "elsewhere/Foo Bar.desktop");
    ASSERT_TRUE(elsewhere);
    EXPECT_EQ(elsewhere->identifier, "Foo Bar");
    EXPECT_EQ(elsewhere->name, "Foo");
    EXPECT_EQ(catalog_.applicationAt(root_.path() / "absent.desktop"), std::nullopt);
}

TEST_F(XdgApplicationCatalogTest, NamesFollowTheUsersLanguage) {
    writeFile(systemApplications() / "files.desktop",
              entry("Files", "Name[de]=Dateien\nName[ru]=Файлы\n"));
    {
        const testing::ScopedVariable language("LANGUAGE", "ru");
        EXPECT_EQ(catalog_.application("files")->name, "Файлы");
    }
    {
        const testing::ScopedVariable language("LANGUAGE", "de");
        EXPECT_EQ(catalog_.application("files")->name, "Dateien");
    }
    const testing::ScopedVariable language("LANGUAGE", "fr");
    EXPECT_EQ(catalog_.application("files")->name, "Files");
}

TEST_F(XdgApplicationCatalogTest, DrawsThemeIconsIntoA64PixelSquare) {
    const auto hicolor = root_.path() / "system/icons/hicolor";
    writeFile(hicolor / "index.theme",
              "[Icon Theme]\nName=Hicolor\nDirectories=16x16/apps,48x48/apps\n\n"
              "[16x16/apps]\nSize=16\nType=Fixed\n\n[48x48/apps]\nSize=48\nType=Fixed\n");
    writePng(hicolor / "16x16/apps/chat.png", 16, 16);
    writePng(hicolor / "48x48/apps/chat.png", 48, 48);
    // A wide image keeps its proportions, with transparent bands.
    writePng(root_.path() / "system/pixmaps/banner.png", 64, 32);
    writePng(root_.path() / "art/own.png", 128, 128);
    writeFile(systemApplications() / "chat.desktop", entry("Chat", "Icon=chat\n"));
    writeFile(systemApplications() / "banner.desktop", entry("Banner", "Icon=banner\n"));
    writeFile(systemApplications() / "own.desktop",
              entry("Own", "Icon=" + (root_.path() / "art/own.png").string() + "\n"));
    writeFile(systemApplications() / "none.desktop", entry("None", "Icon=no-such-icon\n"));
    writeFile(systemApplications() / "plain.desktop", entry("Plain"));

    for (const char* name : {"chat", "own"}) {
        const auto png =
            catalog_.iconPng(systemApplications() / (std::string(name) + ".desktop"), 64);
        ASSERT_TRUE(png) << name;
        const auto image = decodePng(*png);
        ASSERT_TRUE(image) << name;
        EXPECT_EQ(image->width, 64);
        EXPECT_EQ(image->height, 64);
        EXPECT_EQ(image->centreAlpha, 255) << name;
        EXPECT_EQ(image->cornerAlpha, 255) << name;
    }
    const auto banner = decodePng(*catalog_.iconPng(systemApplications() / "banner.desktop", 64));
    EXPECT_EQ(banner->width, 64);
    EXPECT_EQ(banner->centreAlpha, 255);
    EXPECT_EQ(banner->cornerAlpha, 0);

    EXPECT_EQ(catalog_.iconPng(systemApplications() / "none.desktop", 64), std::nullopt);
    EXPECT_EQ(catalog_.iconPng(systemApplications() / "plain.desktop", 64), std::nullopt);
    EXPECT_EQ(catalog_.iconPng(systemApplications() / "absent.desktop", 64), std::nullopt);
}

}  // namespace
}  // namespace plovik
