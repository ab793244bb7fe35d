#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/ApplicationCatalog.h"

namespace plovik {

// The installed applications of the simulated desktop. Icons are given as PNG bytes and
// handed out as they are, whatever size is asked for.
class SimulatedApplicationCatalog final : public ApplicationCatalog {
  public:
    std::vector<InstalledApplication> installedApplications() override;
    std::optional<InstalledApplication> application(const std::string& identifier) override;
    std::optional<InstalledApplication> applicationAt(const std::string& filePath) override;
    std::optional<std::vector<std::uint8_t>> iconPng(const std::string& filePath,
                                                     int size) override;

    // --- Control interface
    // Installs an application; a hidden one is readable from its file but not listed.
    void install(InstalledApplication application,
                 std::optional<std::vector<std::uint8_t>> icon = std::nullopt, bool isShown = true);
    void uninstall(const std::string& identifier);

  private:
    struct Entry {
        InstalledApplication application;
        std::optional<std::vector<std::uint8_t>> icon;
        bool isShown;
    };
    const Entry* entryAt(const std::string& filePath) const;

    std::vector<Entry> entries_;
};

}  // namespace plovik
