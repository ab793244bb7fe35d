#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace plovik {

// What identifies an application in one XDG desktop entry.
struct DesktopEntry {
    // The desktop-entry id without ".desktop" ("org.gnome.TextEditor").
    std::string id;
    std::string name;
    std::optional<std::string> startupWmClass;
    // The program's file name from Exec ("gnome-text-editor").
    std::optional<std::string> executable;
};

// What the installed applications' desktop entries say about their windows and programs,
// for telling which application a window belongs to.
class DesktopEntryCatalog {
  public:
    // The folders in the order DesktopEntryFiles searches them.
    explicit DesktopEntryCatalog(std::vector<std::filesystem::path> applicationFolders);

    // Reads the folders again (new applications installed).
    void reload();
    const std::vector<DesktopEntry>& entries() const { return entries_; }
    std::optional<DesktopEntry> byId(const std::string& id) const;
    std::optional<DesktopEntry> byStartupWmClass(const std::string& wmClass) const;
    // The entry whose id is `name`, or whose id's last dotted part is ("gedit" for
    // "org.gnome.gedit"); case does not matter.
    std::optional<DesktopEntry> byName(const std::string& name) const;
    std::optional<DesktopEntry> byExecutable(const std::string& executable) const;

  private:
    std::vector<std::filesystem::path> folders_;
    std::vector<DesktopEntry> entries_;
};

}  // namespace plovik
