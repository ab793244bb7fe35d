#pragma once

#include <cstddef>
#include <map>
#include <set>

#include "core/platform/DefaultsDatabase.h"

namespace plovik {

// Defaults kept in memory, for tests and the simulated desktop. Tests can read
// every key, count writes and make writes fail.
class InMemoryDefaultsDatabase final : public DefaultsDatabase {
  public:
    Entry entry(const std::string& key) const override;
    bool setData(const std::string& key, std::span<const std::uint8_t> data) override;
    void removeKey(const std::string& key) override;

    // Control side.
    void setString(const std::string& key, const std::string& text);
    std::optional<std::string> string(const std::string& key) const;
    const std::map<std::string, std::vector<std::uint8_t>>& contents() const { return blobs_; }
    std::size_t writeCount() const { return writeCount_; }
    std::size_t removeCount() const { return removeCount_; }
    void setFailsWrites(bool failsWrites) { failsWrites_ = failsWrites; }
    // The key then reads as unreadable until it is written or removed.
    void setUnreadable(const std::string& key) { unreadableKeys_.insert(key); }

  private:
    std::map<std::string, std::vector<std::uint8_t>> blobs_;
    std::size_t writeCount_ = 0;
    std::size_t removeCount_ = 0;
    bool failsWrites_ = false;
    std::set<std::string> unreadableKeys_;
};

}  // namespace plovik
