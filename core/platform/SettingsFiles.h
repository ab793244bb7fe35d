#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "core/support/Published.h"

namespace plovik {

// The per-user defaults database: named data blobs that survive restarts. Other programs
// (a second copy, a file sync, the user's editor) may change them at any time.
class SettingsFiles {
  public:
    struct Absent {
        bool operator==(const Absent&) const = default;
    };
    // Something is stored under the key but cannot be read (permissions, an I/O error,
    // something other than a file): it may hold the user's data, so it must not be replaced.
    struct Unreadable {
        // Why, in the system's words ("Is a directory").
        std::string reason;
        bool operator==(const Unreadable&) const = default;
    };
    using Entry = std::variant<Absent, Unreadable, std::vector<std::uint8_t>>;

    virtual ~SettingsFiles() = default;

    virtual Entry entry(const std::string& key) const = 0;
    // Replaces the blob under the key; the reason when nothing was stored.
    virtual std::optional<std::string> storeData(const std::string& key,
                                                 std::span<const std::uint8_t> data) = 0;
    // Removing a key that holds nothing is not an error.
    virtual void removeKey(const std::string& key) = 0;
    // Where the user finds the blob of the key, for messages.
    virtual std::string locationOf(const std::string& key) const = 0;
    // Runs `work` with no other writer in between that uses this same way, in this process or
    // another, so that a read followed by a write loses nobody's change.
    virtual void exclusively(const std::function<void()>& work) = 0;
    // Calls `onChange` on the main thread after the blob under the key may have changed, by
    // this program or any other; the reader compares what it finds.
    [[nodiscard]] virtual Subscription observe(const std::string& key,
                                               std::function<void()> onChange) = 0;

    // False when nothing was stored.
    bool setData(const std::string& key, std::span<const std::uint8_t> data) {
        return !storeData(key, data);
    }
    // The blob stored under the key; absent when there is none or it cannot be read.
    std::optional<std::vector<std::uint8_t>> data(const std::string& key) const {
        auto found = entry(key);
        if (auto* bytes = std::get_if<std::vector<std::uint8_t>>(&found)) {
            return std::move(*bytes);
        }
        return std::nullopt;
    }
};

}  // namespace plovik
