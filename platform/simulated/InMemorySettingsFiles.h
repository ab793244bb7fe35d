#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <set>

#include "core/platform/SettingsFiles.h"

namespace plovik {

// Defaults kept in memory, for tests and the simulated desktop. Tests can read
// every key, count writes and make writes fail. Observers hear of every change at once,
// whoever made it.
class InMemorySettingsFiles final : public SettingsFiles {
  public:
    Entry entry(const std::string& key) const override;
    std::optional<std::string> storeData(const std::string& key,
                                         std::span<const std::uint8_t> data) override;
    void removeKey(const std::string& key) override;
    std::string locationOf(const std::string& key) const override { return key; }
    void exclusively(const std::function<void()>& work) override { work(); }
    [[nodiscard]] Subscription observe(const std::string& key,
                                       std::function<void()> onChange) override;

    // Control side: another program writes, without being counted.
    void setString(const std::string& key, const std::string& text);
    std::optional<std::string> string(const std::string& key) const;
    const std::map<std::string, std::vector<std::uint8_t>>& contents() const { return blobs_; }
    std::size_t writeCount() const { return writeCount_; }
    std::size_t removeCount() const { return removeCount_; }
    // Writes fail with this reason while it is set.
    void setFailsWrites(bool failsWrites, std::string reason = "Read-only file system") {
        failure_ = failsWrites ? std::optional<std::string>(std::move(reason)) : std::nullopt;
    }
    // While off, changes are not reported, as when a report is still on its way.
    void setReportsChanges(bool reports) { reportsChanges_ = reports; }
    // The key then reads as unreadable until it is written or removed.
    void setUnreadable(const std::string& key, std::string reason = "Permission denied") {
        unreadableKeys_[key] = std::move(reason);
    }

  private:
    struct Observers {
        std::multimap<std::string, std::shared_ptr<std::function<void()>>> entries;
    };

    void changed(const std::string& key);

    std::map<std::string, std::vector<std::uint8_t>> blobs_;
    std::size_t writeCount_ = 0;
    std::size_t removeCount_ = 0;
    std::optional<std::string> failure_;
    bool reportsChanges_ = true;
    std::map<std::string, std::string> unreadableKeys_;
    std::shared_ptr<Observers> observers_ = std::make_shared<Observers>();
};

}  // namespace plovik
