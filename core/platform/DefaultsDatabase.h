#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace plovik {

// The per-user defaults database: named data blobs that survive restarts.
class DefaultsDatabase {
  public:
    struct Absent {
        bool operator==(const Absent&) const = default;
    };
    // Something is stored under the key but cannot be read (permissions, an I/O error,
    // something other than a file): it may hold the user's data, so it must not be replaced.
    struct Unreadable {
        bool operator==(const Unreadable&) const = default;
    };
    using Entry = std::variant<Absent, Unreadable, std::vector<std::uint8_t>>;

    virtual ~DefaultsDatabase() = default;

    virtual Entry entry(const std::string& key) const = 0;
    // Replaces the blob under the key; false when nothing was stored.
    virtual bool setData(const std::string& key, std::span<const std::uint8_t> data) = 0;
    // Removing a key that holds nothing is not an error.
    virtual void removeKey(const std::string& key) = 0;

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
