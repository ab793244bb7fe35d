#include "core/replacement/ApplicationTraits.h"

#include <algorithm>
#include <array>

namespace plovik {
namespace {

// Gecko reports edits as done and changes nothing.
constexpr auto kGeckoApplications = std::to_array<std::string_view>({
    "firefox-esr",
    "firefox",
    "org.mozilla.firefox",
});

// Chromium and its relatives expose fields without an editable-text interface, and only
// when started with --force-renderer-accessibility.
constexpr auto kChromiumApplications = std::to_array<std::string_view>({
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
});

// Terminals offer text to read only, or nothing.
constexpr auto kTerminalApplications = std::to_array<std::string_view>({
    "debian-xterm",
    "debian-uxterm",
    "xfce4-terminal",
    "org.gnome.Terminal",
    "org.gnome.Console",
    "org.kde.konsole",
});

// KTextEditor offers text to read only.
constexpr auto kReadOnlyTextApplications = std::to_array<std::string_view>({
    "org.kde.kwrite",
    "org.kde.kate",
});

constexpr auto kLibreOfficeApplications = std::to_array<std::string_view>({
    "libreoffice-writer",
    "libreoffice-calc",
    "libreoffice-impress",
    "libreoffice-draw",
    "libreoffice-startcenter",
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
    return desktopEntryId && (contains(kGeckoApplications, *desktopEntryId) ||
                              contains(kChromiumApplications, *desktopEntryId) ||
                              contains(kTerminalApplications, *desktopEntryId) ||
                              contains(kReadOnlyTextApplications, *desktopEntryId));
}

bool ApplicationTraits::usesDescendantSearch(std::string_view desktopEntryId) {
    return contains(kDescendantSearchApplications, desktopEntryId);
}

std::optional<ApplicationLimitation> ApplicationTraits::limitation(
    std::string_view desktopEntryId) {
    if (contains(kTerminalApplications, desktopEntryId)) {
        return ApplicationLimitation{
            "Never corrected: a terminal",
            "A terminal gives Plovik no text field to read, so a word cannot be checked before "
            "it is replaced, and a key may reach a command or a password prompt. Plovik never "
            "corrects here."};
    }
    if (contains(kChromiumApplications, desktopEntryId)) {
        return ApplicationLimitation{
            "Needs a start option",
            "Chromium and the applications built on it show Plovik their text fields only when "
            "started with --force-renderer-accessibility (add it to the command of the "
            "application's menu entry). Without it Plovik sees no field here and corrects "
            "nothing."};
    }
    if (contains(kLibreOfficeApplications, desktopEntryId)) {
        return ApplicationLimitation{
            "AutoCorrect may come first",
            "LibreOffice's AutoCorrect may change a word while you type it, for instance with a "
            "capital letter at the start of a sentence. Plovik then no longer finds the word "
            "you typed and leaves it as LibreOffice made it."};
    }
    return std::nullopt;
}

}  // namespace plovik
