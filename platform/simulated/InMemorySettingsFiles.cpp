#include "platform/simulated/InMemorySettingsFiles.h"

#include <vector>

namespace plovik {

SettingsFiles::Entry InMemorySettingsFiles::entry(const std::string& key) const {
    if (const auto unreadable = unreadableKeys_.find(key); unreadable != unreadableKeys_.end()) {
        return Unreadable{unreadable->second};
    }
    const auto found = blobs_.find(key);
    if (found == blobs_.end()) {
        return Absent{};
    }
    return found->second;
}

std::optional<std::string> InMemorySettingsFiles::storeData(const std::string& key,
                                                            std::span<const std::uint8_t> data) {
    if (failure_) {
        return failure_;
    }
    ++writeCount_;
    unreadableKeys_.erase(key);
    blobs_[key] = std::vector<std::uint8_t>(data.begin(), data.end());
    changed(key);
    return std::nullopt;
}

void InMemorySettingsFiles::removeKey(const std::string& key) {
    ++removeCount_;
    unreadableKeys_.erase(key);
    blobs_.erase(key);
    changed(key);
}

Subscription InMemorySettingsFiles::observe(const std::string& key,
                                            std::function<void()> onChange) {
    auto entry = std::make_shared<std::function<void()>>(std::move(onChange));
    const auto position = observers_->entries.emplace(key, entry);
    std::weak_ptr<Observers> weak = observers_;
    return Subscription([weak, position] {
        if (const auto observers = weak.lock()) {
            observers->entries.erase(position);
        }
    });
}

void InMemorySettingsFiles::setString(const std::string& key, const std::string& text) {
    unreadableKeys_.erase(key);
    blobs_[key] = std::vector<std::uint8_t>(text.begin(), text.end());
    changed(key);
}

std::optional<std::string> InMemorySettingsFiles::string(const std::string& key) const {
    const auto found = blobs_.find(key);
    if (found == blobs_.end()) {
        return std::nullopt;
    }
    return std::string(found->second.begin(), found->second.end());
}

// A snapshot, so that an observer may stop observing or write while being told.
void InMemorySettingsFiles::changed(const std::string& key) {
    if (!reportsChanges_) {
        return;
    }
    std::vector<std::weak_ptr<std::function<void()>>> toldOnes;
    const auto [first, last] = observers_->entries.equal_range(key);
    for (auto it = first; it != last; ++it) {
        toldOnes.push_back(it->second);
    }
    for (const auto& weak : toldOnes) {
        if (const auto observer = weak.lock()) {
            (*observer)();
        }
    }
}

}  // namespace plovik
