#include "core/settings/SettingsStore.h"

#include <algorithm>
#include <ctime>

#include "core/settings/SettingsDocument.h"

namespace plovik {
namespace {

// Drops icons too large to keep; reports whether any was dropped.
bool dropOversizedIcons(AppSettings& settings) {
    bool dropped = false;
    for (auto& application : settings.applications) {
        if (application.iconData &&
            application.iconData->size() > EnabledApplication::kMaximumIconBytes) {
            application.iconData.reset();
            dropped = true;
        }
    }
    return dropped;
}

}  // namespace

SettingsStore::SettingsStore(DefaultsDatabase& defaults, std::string storageKey, const Clock& clock,
                             text::LocalizedComparison nameOrder)
    : defaults_(defaults),
      storageKey_(std::move(storageKey)),
      clock_(clock),
      nameOrder_(std::move(nameOrder)),
      settings_(load()) {}

AppSettings SettingsStore::load() {
    auto entry = defaults_.entry(storageKey_);
    if (std::holds_alternative<DefaultsDatabase::Unreadable>(entry)) {
        storedDocumentUnreadable_ = true;
        return AppSettings{};
    }
    auto* document = std::get_if<std::vector<std::uint8_t>>(&entry);
    if (document == nullptr) {
        return AppSettings{};
    }
    auto decoded = SettingsDocument::decode(*document);
    if (!decoded) {
        unreadableDocument_ = std::move(*document);
        return AppSettings{};
    }
    if (dropOversizedIcons(*decoded)) {
        if (const auto cleaned = SettingsDocument::encode(*decoded)) {
            defaults_.setData(storageKey_, *cleaned);
        }
    }
    return std::move(*decoded);
}

void SettingsStore::update(const std::function<void(AppSettings&)>& edit) {
    AppSettings copy = settings_.get();
    edit(copy);
    settings_ = std::move(copy);
    persist();
}

void SettingsStore::addApplication(EnabledApplication application) {
    update([&](AppSettings& settings) {
        auto& list = settings.applications;
        std::erase_if(list, [&](const EnabledApplication& entry) {
            return entry.bundleIdentifier == application.bundleIdentifier;
        });
        list.push_back(std::move(application));
        std::stable_sort(list.begin(), list.end(),
                         [this](const EnabledApplication& a, const EnabledApplication& b) {
                             return nameOrder_(a.displayName, b.displayName);
                         });
    });
}

void SettingsStore::updateApplication(EnabledApplication application) {
    update([&](AppSettings& settings) {
        auto& list = settings.applications;
        const auto found =
            std::find_if(list.begin(), list.end(), [&](const EnabledApplication& entry) {
                return entry.bundleIdentifier == application.bundleIdentifier;
            });
        if (found != list.end()) {
            *found = std::move(application);
        } else {
            list.push_back(std::move(application));
        }
    });
}

void SettingsStore::removeApplication(const std::string& bundleIdentifier) {
    update([&](AppSettings& settings) {
        std::erase_if(settings.applications, [&](const EnabledApplication& entry) {
            return entry.bundleIdentifier == bundleIdentifier;
        });
    });
}

void SettingsStore::reset() {
    settings_ = AppSettings{};
    if (!storedDocumentUnreadable_ && preserveUnreadableDocument()) {
        defaults_.removeKey(storageKey_);
    }
}

void SettingsStore::persist() {
    const auto document = SettingsDocument::encode(settings_.get());
    if (storedDocumentUnreadable_ || !document || !preserveUnreadableDocument()) {
        return;
    }
    defaults_.setData(storageKey_, *document);
}

// The user's damaged settings are copied aside before the first write replaces
// them, so they can still be recovered by hand. While that copy cannot be made,
// the original is left in place.
bool SettingsStore::preserveUnreadableDocument() {
    if (!unreadableDocument_) {
        return true;
    }
    if (!defaults_.setData(preservedKey(), *unreadableDocument_)) {
        return false;
    }
    unreadableDocument_.reset();
    return true;
}

std::string SettingsStore::preservedKey() const {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(clock_.now());
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
    const std::string base = storageKey_ + ".unreadable-" + stamp;
    std::string key = base;
    for (int suffix = 2; !std::holds_alternative<DefaultsDatabase::Absent>(defaults_.entry(key));
         ++suffix) {
        key = base + "-" + std::to_string(suffix);
    }
    return key;
}

}  // namespace plovik
