#include "platform/linux/IconThemeLookup.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <set>
#include <system_error>

#include "platform/linux/GlibHandles.h"

namespace plovik {

namespace {

namespace fs = std::filesystem;

constexpr std::array<const char*, 3> kExtensions{".png", ".svg", ".xpm"};
constexpr int kMaximumInheritanceDepth = 8;

bool isFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

std::optional<fs::path> existingIcon(const fs::path& folder, const std::string& name) {
    for (const char* extension : kExtensions) {
        auto file = folder / (name + extension);
        if (isFile(file)) {
            return file;
        }
    }
    return std::nullopt;
}

int integerOr(GKeyFile* file, const char* group, const char* key, int fallback) {
    GError* error = nullptr;
    const int value = g_key_file_get_integer(file, group, key, &error);
    if (error != nullptr) {
        g_error_free(error);
        return fallback;
    }
    return value;
}

std::string stringOr(GKeyFile* file, const char* group, const char* key,
                     const std::string& fallback) {
    glib::String value(g_key_file_get_string(file, group, key, nullptr));
    return value ? std::string(value.get()) : fallback;
}

// How far a theme folder's icons are from the size asked for, as the icon theme rules
// measure it; 0 when the folder serves that size.
int sizeDistance(GKeyFile* index, const char* folder, int size) {
    const int nominal = integerOr(index, folder, "Size", 0);
    const int scale = integerOr(index, folder, "Scale", 1);
    const std::string type = stringOr(index, folder, "Type", "Threshold");
    if (type == "Fixed") {
        return std::abs(nominal * scale - size);
    }
    if (type == "Scalable") {
        const int minimum = integerOr(index, folder, "MinSize", nominal) * scale;
        const int maximum = integerOr(index, folder, "MaxSize", nominal) * scale;
        return size < minimum ? minimum - size : size > maximum ? size - maximum : 0;
    }
    const int threshold = integerOr(index, folder, "Threshold", 2);
    const int low = (nominal - threshold) * scale;
    const int high = (nominal + threshold) * scale;
    return size < low ? low - size : size > high ? size - high : 0;
}

// Icon theme lists are separated by commas, not the key file's semicolons.
glib::KeyFile loadIndex(const fs::path& index) {
    glib::KeyFile file(g_key_file_new());
    g_key_file_set_list_separator(file.get(), ',');
    if (!g_key_file_load_from_file(file.get(), index.c_str(), G_KEY_FILE_NONE, nullptr)) {
        return nullptr;
    }
    return file;
}

}  // namespace

IconThemeLookup::IconThemeLookup(std::vector<fs::path> dataDirectories,
                                 std::optional<fs::path> home,
                                 std::optional<std::string> preferredTheme)
    : preferredTheme_(std::move(preferredTheme)) {
    if (home) {
        iconDirectories_.push_back(*home / ".icons");
    }
    for (const auto& directory : dataDirectories) {
        iconDirectories_.push_back(directory / "icons");
        pixmapDirectories_.push_back(directory / "pixmaps");
    }
}

std::optional<fs::path> IconThemeLookup::find(const std::string& name, int size) const {
    if (name.empty() || name.find('/') != std::string::npos) {
        return std::nullopt;
    }
    for (const auto& theme : themeChain()) {
        if (auto found = findInTheme(theme, name, size)) {
            return found->file;
        }
    }
    return findPixmap(name);
}

std::vector<std::string> IconThemeLookup::themeChain() const {
    std::vector<std::string> chain;
    std::vector<std::string> pending;
    if (preferredTheme_) {
        pending.push_back(*preferredTheme_);
    }
    while (!pending.empty() && static_cast<int>(chain.size()) < kMaximumInheritanceDepth) {
        auto theme = pending.front();
        pending.erase(pending.begin());
        if (theme.empty() || std::find(chain.begin(), chain.end(), theme) != chain.end()) {
            continue;
        }
        chain.push_back(theme);
        const auto index = indexFile(theme);
        if (!index) {
            continue;
        }
        const auto file = loadIndex(*index);
        if (!file) {
            continue;
        }
        glib::StringList inherits(
            g_key_file_get_string_list(file.get(), "Icon Theme", "Inherits", nullptr, nullptr));
        for (auto** parent = inherits.get(); parent != nullptr && *parent != nullptr; ++parent) {
            pending.emplace_back(*parent);
        }
    }
    if (std::find(chain.begin(), chain.end(), "hicolor") == chain.end()) {
        chain.emplace_back("hicolor");
    }
    return chain;
}

std::optional<fs::path> IconThemeLookup::indexFile(const std::string& theme) const {
    for (const auto& directory : iconDirectories_) {
        auto index = directory / theme / "index.theme";
        if (isFile(index)) {
            return index;
        }
    }
    return std::nullopt;
}

std::optional<IconThemeLookup::Candidate> IconThemeLookup::findInTheme(const std::string& theme,
                                                                       const std::string& name,
                                                                       int size) const {
    const auto index = indexFile(theme);
    if (!index) {
        return std::nullopt;
    }
    const auto file = loadIndex(*index);
    if (!file) {
        return std::nullopt;
    }
    glib::StringList folders(
        g_key_file_get_string_list(file.get(), "Icon Theme", "Directories", nullptr, nullptr));
    std::optional<Candidate> best;
    for (auto** folder = folders.get(); folder != nullptr && *folder != nullptr; ++folder) {
        const int distance = sizeDistance(file.get(), *folder, size);
        if (best && best->distance <= distance) {
            continue;
        }
        // A theme's folders may be spread over every icon directory.
        for (const auto& directory : iconDirectories_) {
            if (auto icon = existingIcon(directory / theme / *folder, name)) {
                best = Candidate{*icon, distance};
                break;
            }
        }
    }
    return best;
}

std::optional<fs::path> IconThemeLookup::findPixmap(const std::string& name) const {
    for (const auto& directory : pixmapDirectories_) {
        if (auto icon = existingIcon(directory, name)) {
            return icon;
        }
    }
    return std::nullopt;
}

}  // namespace plovik
