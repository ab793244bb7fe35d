#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/coordinator/InstalledApplicationSuggestion.h"
#include "core/platform/ApplicationCatalog.h"
#include "core/settings/EnabledApplication.h"
#include "core/support/Url.h"
#include "core/text/LocalizedComparison.h"

namespace plovik {

// Turns installed applications into settings entries, offers the well-known chat
// applications that are installed, and lists every application for the chooser.
// Main thread.
class InstalledApplicationService {
  public:
    struct SuggestionRow {
        const char* identifier;
        const char* fallbackName;
    };
    static constexpr int kIconSize = 64;
    static constexpr double kDefaultConfidenceThreshold = 0.9;
    static constexpr const char* kLocalIdentifierPrefix = "local.";

    // Native packages and Flathub name the same application differently: each has a row.
    static std::span<const SuggestionRow> suggestionTable();

    InstalledApplicationService(ApplicationCatalog& catalog, text::LocalizedComparison nameOrder);

    // The table's installed applications, in table order.
    std::vector<InstalledApplicationSuggestion> suggestedApplications() const;
    // Every application the menus show, ordered by name as the user's language sorts.
    std::vector<InstalledApplication> installedApplications() const;
    // The entry for an application picked from installedApplications().
    EnabledApplication chooseApplication(const InstalledApplication& chosen) const;
    // An entry with all switches on; a file that cannot be read as an application still
    // gives one, identified as "local." and the file name without its extension, and named
    // `fallbackName`.
    EnabledApplication makeApplication(const Url& url, const std::string& fallbackName) const;
    // The application's icon as 64 by 64 PNG; absent when it has none or it cannot be drawn.
    std::optional<std::vector<std::uint8_t>> iconData(const Url& url) const;

  private:
    EnabledApplication makeApplication(const InstalledApplication& installed,
                                       const std::string& fallbackName) const;

    ApplicationCatalog& catalog_;
    text::LocalizedComparison nameOrder_;
};

}  // namespace plovik
