#include "core/replacement/ApplicationTraits.h"

#include <algorithm>
#include <array>

namespace plovik {
namespace {

constexpr auto kKeyboardReplacementApplications = std::to_array<std::string_view>({
    // Gecko reports edits as done and changes nothing.
    "firefox-esr",
    "firefox",
    "org.mozilla.firefox",
    // Chromium and its relatives expose fields without an editable-text interface.
    "chromium",
    "org.chromium.Chromium",
    "google-chrome",
    "google-chrome-beta",
    "google-chrome-unstable",
    "com.google.Chrome",
    "microsoft-edge",
    "brave-browser",
    "code",
    "com.visualstudio.code",
    "slack",
    "com.slack.Slack",
    "discord",
    "com.discordapp.Discord",
    "signal-desktop",
    "org.signal.Signal",
    "obsidian",
    "md.obsidian.Obsidian",
    // Terminals offer text to read only, or nothing.
    "debian-xterm",
    "xfce4-terminal",
    "org.gnome.Terminal",
    "org.gnome.Console",
    "org.kde.konsole",
    // KTextEditor offers text to read only.
    "org.kde.kwrite",
    "org.kde.kate",
});

constexpr auto kDescendantSearchApplications = std::to_array<std::string_view>({
    // GTK 4 sends no focus events.
    "org.gnome.TextEditor",
});

bool contains(const auto& list, std::string_view id) {
    return std::find(list.begin(), list.end(), id) != list.end();
}

}  // namespace

bool ApplicationTraits::prefersKeyboardReplacement(
    const std::optional<std::string>& desktopEntryId) {
    return desktopEntryId && contains(kKeyboardReplacementApplications, *desktopEntryId);
}

bool ApplicationTraits::usesDescendantSearch(std::string_view desktopEntryId) {
    return contains(kDescendantSearchApplications, desktopEntryId);
}

}  // namespace plovik
