#include "platform/linux/DesktopSettingsLauncher.h"

#include <glib.h>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace plovik {
namespace {

constexpr char kScheme[] = "settings:";

struct SettingsPage {
    const char* desktop;  // as in XDG_CURRENT_DESKTOP
    const char* page;
    std::vector<std::string> command;
};

const std::vector<SettingsPage>& pages() {
    static const std::vector<SettingsPage> known{
        {"GNOME", "universal-access", {"gnome-control-center", "universal-access"}},
        {"GNOME", "keyboard", {"gnome-control-center", "keyboard"}},
        {"KDE", "universal-access", {"systemsettings", "kcm_access"}},
        {"KDE", "keyboard", {"systemsettings", "kcm_keyboard"}},
        {"XFCE", "universal-access", {"xfce4-accessibility-settings"}},
        {"XFCE", "keyboard", {"xfce4-keyboard-settings"}},
        {"MATE", "universal-access", {"mate-at-properties"}},
        {"MATE", "keyboard", {"mate-keyboard-properties"}},
    };
    return known;
}

}  // namespace

DesktopSettingsLauncher::DesktopSettingsLauncher(std::string currentDesktop,
                                                 ProgramFinder installed, Spawner spawn)
    : currentDesktop_(std::move(currentDesktop)),
      installed_(std::move(installed)),
      spawn_(std::move(spawn)) {}

DesktopSettingsLauncher DesktopSettingsLauncher::forThisProcess() {
    const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
    return DesktopSettingsLauncher(
        desktop ? desktop : "",
        [](const std::string& program) {
            gchar* path = g_find_program_in_path(program.c_str());
            const bool found = path != nullptr;
            g_free(path);
            return found;
        },
        [](const std::vector<std::string>& argv) {
            std::vector<gchar*> arguments;
            for (const auto& argument : argv) {
                arguments.push_back(const_cast<gchar*>(argument.c_str()));
            }
            arguments.push_back(nullptr);
            return g_spawn_async(nullptr, arguments.data(), nullptr, G_SPAWN_SEARCH_PATH, nullptr,
                                 nullptr, nullptr, nullptr) != FALSE;
        });
}

bool DesktopSettingsLauncher::isSettingsUrl(const std::string& url) {
    return url.starts_with(kScheme);
}

std::optional<std::vector<std::string>> DesktopSettingsLauncher::commandFor(
    const std::string& url) const {
    if (!isSettingsUrl(url)) {
        return std::nullopt;
    }
    const std::string page = url.substr(std::string(kScheme).size());
    // XDG_CURRENT_DESKTOP is a colon-separated list such as "ubuntu:GNOME".
    const auto isCurrent = [&](const SettingsPage& candidate) {
        const std::string list = ":" + currentDesktop_ + ":";
        return list.find(std::string(":") + candidate.desktop + ":") != std::string::npos;
    };
    for (const bool currentOnly : {true, false}) {
        for (const auto& candidate : pages()) {
            if (candidate.page == page && (!currentOnly || isCurrent(candidate)) &&
                installed_(candidate.command.front())) {
                return candidate.command;
            }
        }
    }
    return std::nullopt;
}

bool DesktopSettingsLauncher::open(const std::string& url) const {
    const auto command = commandFor(url);
    return command && spawn_(*command);
}

}  // namespace plovik
