#include "platform/simulated/InMemoryDefaultsDatabase.h"

namespace plovik {

DefaultsDatabase::Entry InMemoryDefaultsDatabase::entry(const std::string& key) const {
    if (unreadableKeys_.contains(key)) {
        return Unreadable{};
    }
    const auto found = blobs_.find(key);
    if (found == blobs_.end()) {
        return Absent{};
    }
    return found->second;
}

bool InMemoryDefaultsDatabase::setData(const std::string& key, std::span<const std::uint8_t> data) {
    if (failsWrites_) {
        return false;
    }
    ++writeCount_;
    unreadableKeys_.erase(key);
    blobs_[key] = std::vector<std::uint8_t>(data.begin(), data.end());
    return true;
}

void InMemoryDefaultsDatabase::removeKey(const std::string& key) {
    ++removeCount_;
    unreadableKeys_.erase(key);
    blobs_.erase(key);
}

void InMemoryDefaultsDatabase::setString(const std::string& key, const std::string& text) {
    blobs_[key] = std::vector<std::uint8_t>(text.begin(), text.end());
}

std::optional<std::string> InMemoryDefaultsDatabase::string(const std::string& key) const {
    const auto found = blobs_.find(key);
    if (found == blobs_.end()) {
        return std::nullopt;
    }
    return std::string(found->second.begin(), found->second.end());
}

}  // namespace plovik
