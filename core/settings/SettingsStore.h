#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/Clock.h"
#include "core/platform/DefaultsDatabase.h"
#include "core/settings/AppSettings.h"
#include "core/support/Published.h"
#include "core/text/LocalizedComparison.h"

namespace plovik {

// Owns the current settings, publishes every change and then stores the whole
// record under one key of the defaults database. Main thread only.
class SettingsStore final {
  public:
    static constexpr const char* kStandardStorageKey = "Plovik.AppSettings.v1";

    // Loads at once; a missing or unreadable document gives the defaults. The clock
    // names the copy of a document that cannot be decoded; the comparison orders
    // applications.
    SettingsStore(DefaultsDatabase& defaults, std::string storageKey, const Clock& clock,
                  text::LocalizedComparison nameOrder);

    const AppSettings& settings() const { return settings_.get(); }
    // Delivers the current settings at once, then every assignment before it is stored.
    [[nodiscard]] Subscription subscribe(Published<AppSettings>::Observer observer) {
        return settings_.subscribe(std::move(observer));
    }
    const std::string& storageKey() const { return storageKey_; }
    // The stored document could not be read at all (permissions, I/O error, not a file):
    // it is left untouched, and changes are kept for this run only.
    bool storedDocumentUnreadable() const { return storedDocumentUnreadable_; }

    // The edit receives a copy of the current settings; the result replaces them.
    void update(const std::function<void(AppSettings&)>& edit);
    // Replaces any entry with the same identifier and keeps the list sorted by name.
    void addApplication(EnabledApplication application);
    // Replaces the first entry with the same identifier in place, or appends.
    void updateApplication(EnabledApplication application);
    void removeApplication(const std::string& bundleIdentifier);
    // Back to the defaults, and the stored document is removed.
    void reset();

  private:
    AppSettings load();
    void persist();
    bool preserveUnreadableDocument();
    std::string preservedKey() const;

    DefaultsDatabase& defaults_;
    std::string storageKey_;
    const Clock& clock_;
    text::LocalizedComparison nameOrder_;
    // A stored document that could not be read; kept aside before it is overwritten.
    std::optional<std::vector<std::uint8_t>> unreadableDocument_;
    bool storedDocumentUnreadable_ = false;
    Published<AppSettings> settings_;
};

}  // namespace plovik
