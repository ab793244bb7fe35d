#include "platform/linux/DesktopEntryCatalog.h"

#include <glib.h>

#include <algorithm>

#include "platform/linux/DesktopEntryFiles.h"
#include "platform/linux/GObjectRef.h"

namespace plovik {
namespace {

constexpr char kGroup[] = "Desktop Entry";

std::string lowercased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<std::string> stringValue(GKeyFile* file, const char* key, bool localized) {
    gchar* value = localized ? g_key_file_get_locale_string(file, kGroup, key, nullptr, nullptr)
                             : g_key_file_get_string(file, kGroup, key, nullptr);
    if (!value) {
        return std::nullopt;
    }
    return takeString(value);
}

// The program Exec runs, skipping an "env NAME=value" prefix.
std::optional<std::string> executableOf(const std::string& exec) {
    gint argc = 0;
    gchar** argv = nullptr;
    if (!g_shell_parse_argv(exec.c_str(), &argc, &argv, nullptr)) {
        return std::nullopt;
    }
    std::optional<std::string> program;
    for (gint i = 0; i < argc && !program; ++i) {
        const std::string word = argv[i];
        const bool isEnv = i == 0 && std::filesystem::path(word).filename() == "env";
        if (!isEnv && word.find('=') == std::string::npos) {
            program = std::filesystem::path(word).filename().string();
        }
    }
    g_strfreev(argv);
    return program;
}

std::optional<DesktopEntry> readEntry(const std::filesystem::path& file, std::string id) {
    GKeyFile* keys = g_key_file_new();
    const bool loaded = g_key_file_load_from_file(keys, file.c_str(), G_KEY_FILE_NONE, nullptr);
    std::optional<DesktopEntry> entry;
    if (loaded && stringValue(keys, "Type", false) == "Application" &&
        !g_key_file_get_boolean(keys, kGroup, "Hidden", nullptr)) {
        entry = DesktopEntry{std::move(id), stringValue(keys, "Name", true).value_or(""),
                             stringValue(keys, "StartupWMClass", false), std::nullopt};
        if (const auto exec = stringValue(keys, "Exec", false)) {
            entry->executable = executableOf(*exec);
        }
    }
    g_key_file_free(keys);
    return entry;
}

}  // namespace

DesktopEntryCatalog::DesktopEntryCatalog(std::vector<std::filesystem::path> applicationFolders)
    : folders_(std::move(applicationFolders)) {
    reload();
}

void DesktopEntryCatalog::reload() {
    entries_.clear();
    for (auto& [id, file] : DesktopEntryFiles::find(folders_)) {
        if (auto entry = readEntry(file, std::move(id))) {
            entries_.push_back(std::move(*entry));
        }
    }
}

std::optional<DesktopEntry> DesktopEntryCatalog::byId(const std::string& id) const {
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const DesktopEntry& entry) { return entry.id == id; });
    return found == entries_.end() ? std::nullopt : std::optional(*found);
}

std::optional<DesktopEntry> DesktopEntryCatalog::byStartupWmClass(
    const std::string& wmClass) const {
    for (const bool exact : {true, false}) {
        for (const auto& entry : entries_) {
            if (entry.startupWmClass &&
                (exact ? *entry.startupWmClass == wmClass
                       : lowercased(*entry.startupWmClass) == lowercased(wmClass))) {
                return entry;
            }
        }
    }
    return std::nullopt;
}

std::optional<DesktopEntry> DesktopEntryCatalog::byName(const std::string& name) const {
    const std::string wanted = lowercased(name);
    for (const bool whole : {true, false}) {
        for (const auto& entry : entries_) {
            const std::string id = lowercased(entry.id);
            const auto dot = id.rfind('.');
            const std::string part = dot == std::string::npos ? id : id.substr(dot + 1);
            if ((whole ? id : part) == wanted) {
                return entry;
            }
        }
    }
    return std::nullopt;
}

std::optional<DesktopEntry> DesktopEntryCatalog::byExecutable(const std::string& executable) const {
    const auto found =
        std::find_if(entries_.begin(), entries_.end(),
                     [&](const DesktopEntry& entry) { return entry.executable == executable; });
    return found == entries_.end() ? std::nullopt : std::optional(*found);
}

}  // namespace plovik
