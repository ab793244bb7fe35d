#include "platform/linux/XdgApplicationCatalog.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <algorithm>
#include <system_error>

#include "platform/linux/DesktopEntryFiles.h"
#include "platform/linux/GlibHandles.h"
#include "platform/linux/IconThemeLookup.h"

namespace plovik {

namespace {

namespace fs = std::filesystem;

// The entry, unless it is hidden, not an application, or its TryExec program is missing.
glib::Object<GDesktopAppInfo> loadEntry(const fs::path& file) {
    glib::Object<GDesktopAppInfo> info(g_desktop_app_info_new_from_filename(file.c_str()));
    if (!info || g_desktop_app_info_get_is_hidden(info.get())) {
        return nullptr;
    }
    return info;
}

std::string nameOf(GDesktopAppInfo* info) {
    const char* name = g_app_info_get_name(G_APP_INFO(info));
    return name != nullptr ? name : "";
}

// Draws the image into a transparent square, centred and keeping its proportions.
glib::Object<GdkPixbuf> squareImage(const fs::path& file, int size) {
    glib::Object<GdkPixbuf> image(
        gdk_pixbuf_new_from_file_at_scale(file.c_str(), size, size, TRUE, nullptr));
    if (!image) {
        return nullptr;
    }
    glib::Object<GdkPixbuf> square(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, size, size));
    if (!square) {
        return nullptr;
    }
    gdk_pixbuf_fill(square.get(), 0);
    const int width = gdk_pixbuf_get_width(image.get());
    const int height = gdk_pixbuf_get_height(image.get());
    gdk_pixbuf_composite(image.get(), square.get(), (size - width) / 2, (size - height) / 2, width,
                         height, (size - width) / 2, (size - height) / 2, 1.0, 1.0,
                         GDK_INTERP_BILINEAR, 255);
    return square;
}

std::optional<std::vector<std::uint8_t>> encodePng(GdkPixbuf* image) {
    gchar* buffer = nullptr;
    gsize length = 0;
    if (!gdk_pixbuf_save_to_buffer(image, &buffer, &length, "png", nullptr, nullptr)) {
        return std::nullopt;
    }
    glib::String owned(buffer);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(buffer);
    return std::vector<std::uint8_t>(bytes, bytes + length);
}

}  // namespace

XdgApplicationCatalog::XdgApplicationCatalog(XdgDirectories::Environment environment,
                                             std::optional<std::string> iconTheme)
    : environment_(std::move(environment)), iconTheme_(std::move(iconTheme)) {}

std::vector<InstalledApplication> XdgApplicationCatalog::installedApplications() {
    std::vector<InstalledApplication> applications;
    for (const auto& [identifier, file] : entryFiles()) {
        const auto info = loadEntry(file);
        if (info && g_app_info_should_show(G_APP_INFO(info.get()))) {
            applications.push_back({identifier, nameOf(info.get()), file.string()});
        }
    }
    return applications;
}

std::optional<InstalledApplication> XdgApplicationCatalog::application(
    const std::string& identifier) {
    const auto files = entryFiles();
    const auto found = files.find(identifier);
    if (found == files.end()) {
        return std::nullopt;
    }
    const auto info = loadEntry(found->second);
    if (!info || !g_app_info_should_show(G_APP_INFO(info.get()))) {
        return std::nullopt;
    }
    return InstalledApplication{identifier, nameOf(info.get()), found->second.string()};
}

std::optional<InstalledApplication> XdgApplicationCatalog::applicationAt(
    const std::string& filePath) {
    const auto info = loadEntry(filePath);
    if (!info) {
        return std::nullopt;
    }
    return InstalledApplication{identifierOf(filePath), nameOf(info.get()), filePath};
}

std::optional<std::vector<std::uint8_t>> XdgApplicationCatalog::iconPng(const std::string& filePath,
                                                                        int size) {
    const auto info = loadEntry(filePath);
    GIcon* icon = info ? g_app_info_get_icon(G_APP_INFO(info.get())) : nullptr;
    if (icon == nullptr || size <= 0) {
        return std::nullopt;
    }
    std::optional<fs::path> file;
    if (G_IS_FILE_ICON(icon)) {
        glib::String path(g_file_get_path(g_file_icon_get_file(G_FILE_ICON(icon))));
        if (path) {
            file = fs::path(path.get());
        }
    } else if (G_IS_THEMED_ICON(icon)) {
        const IconThemeLookup lookup(XdgDirectories::dataDirectories(environment_),
                                     XdgDirectories::homeDirectory(environment_), iconTheme_);
        for (const auto* const* name = g_themed_icon_get_names(G_THEMED_ICON(icon));
             name != nullptr && *name != nullptr && !file; ++name) {
            file = lookup.find(*name, size);
        }
    }
    if (!file) {
        return std::nullopt;
    }
    const auto image = squareImage(*file, size);
    return image ? encodePng(image.get()) : std::nullopt;
}

std::map<std::string, fs::path> XdgApplicationCatalog::entryFiles() const {
    const auto found = DesktopEntryFiles::find(DesktopEntryFiles::applicationFolders(environment_));
    return {found.begin(), found.end()};
}

std::string XdgApplicationCatalog::identifierOf(const fs::path& file) const {
    const auto normal = file.lexically_normal();
    for (const auto& folder : DesktopEntryFiles::applicationFolders(environment_)) {
        const auto applications = folder.lexically_normal();
        const auto relative = normal.lexically_relative(applications);
        if (!relative.empty() && *relative.begin() != "..") {
            return DesktopEntryFiles::identifierIn(applications, normal);
        }
    }
    return DesktopEntryFiles::withoutSuffix(normal.filename().string());
}

}  // namespace plovik
