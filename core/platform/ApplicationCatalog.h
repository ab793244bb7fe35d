#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plovik {

// An application installed on the desktop, as its desktop entry describes it.
struct InstalledApplication {
    // The desktop-entry id without ".desktop" ("org.gnome.TextEditor").
    std::string identifier;
    // The entry's name in the user's language.
    std::string name;
    // The absolute path of the entry's file.
    std::string filePath;

    bool operator==(const InstalledApplication&) const = default;
};

// The applications installed for this user. Main thread; every call reads the desktop's
// current state, so an application installed meanwhile is found.
class ApplicationCatalog {
  public:
    virtual ~ApplicationCatalog() = default;

    // Every application the desktop's menus show, in no particular order.
    virtual std::vector<InstalledApplication> installedApplications() = 0;
    // The application with that identifier when it is installed and shown in menus.
    virtual std::optional<InstalledApplication> application(const std::string& identifier) = 0;
    // The entry in that file, wherever it lies; absent when it cannot be read or is not an
    // application.
    virtual std::optional<InstalledApplication> applicationAt(const std::string& filePath) = 0;
    // The icon of the entry in that file, drawn into a square of `size` pixels, as PNG.
    virtual std::optional<std::vector<std::uint8_t>> iconPng(const std::string& filePath,
                                                             int size) = 0;
};

}  // namespace plovik
