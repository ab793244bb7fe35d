#include "platform/x11/WindowIdentity.h"

#include <filesystem>

namespace plovik {
namespace {

std::optional<DesktopEntry> entryFor(const WindowIdentity& window,
                                     const DesktopEntryCatalog& catalog) {
    for (const auto& wmName : {window.wmClass, window.wmInstance}) {
        if (wmName) {
            if (auto entry = catalog.byStartupWmClass(*wmName)) {
                return entry;
            }
        }
    }
    for (const auto& wmName : {window.wmInstance, window.wmClass}) {
        if (wmName) {
            if (auto entry = catalog.byName(*wmName)) {
                return entry;
            }
        }
    }
    return window.executable ? catalog.byExecutable(*window.executable) : std::nullopt;
}

}  // namespace

RunningApplication WindowIdentity::application(const DesktopEntryCatalog& catalog) const {
    RunningApplication application;
    application.processIdentifier = pid.value_or(0);
    const bool hasGtkId = gtkApplicationId && !gtkApplicationId->empty();
    // An id no entry has is shared, as LibreOffice's by each of its modules (which
    // the window class tells apart), or one the user could not have chosen anyway.
    auto entry = hasGtkId ? catalog.byId(*gtkApplicationId) : std::nullopt;
    if (!entry) {
        entry = entryFor(*this, catalog);
    }
    if (entry) {
        application.bundleIdentifier = entry->id;
        application.localizedName = entry->name;
        return application;
    }
    if (hasGtkId) {
        application.bundleIdentifier = *gtkApplicationId;
        application.localizedName = wmClass;
        return application;
    }
    application.bundleIdentifier = executable ? executable : wmInstance;
    application.localizedName = wmClass ? wmClass : executable;
    return application;
}

std::optional<std::string> WindowIdentity::executableOf(pid_t pid) {
    std::error_code error;
    const auto target =
        std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
    if (error) {
        return std::nullopt;
    }
    // A program replaced while it runs shows as "name (deleted)".
    std::string name = target.filename().string();
    const std::string deleted = " (deleted)";
    if (name.ends_with(deleted)) {
        name.erase(name.size() - deleted.size());
    }
    return name;
}

}  // namespace plovik
