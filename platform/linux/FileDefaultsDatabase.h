#pragma once

#include <filesystem>

#include "core/platform/DefaultsDatabase.h"

namespace plovik {

// User defaults as one file per key in a folder (normally ~/.config/plovik), each
// holding the blob exactly. Files are replaced atomically and readable only by
// the user. Keys that are not plain file names are refused.
class FileDefaultsDatabase final : public DefaultsDatabase {
  public:
    explicit FileDefaultsDatabase(std::filesystem::path directory)
        : directory_(std::move(directory)) {}

    Entry entry(const std::string& key) const override;
    bool setData(const std::string& key, std::span<const std::uint8_t> data) override;
    void removeKey(const std::string& key) override;

    const std::filesystem::path& directory() const { return directory_; }
    // Not empty, no "/" or NUL, and no leading "." (which also rules out "." and "..";
    // hidden names are left for temporary files).
    static bool isValidKey(const std::string& key);

  private:
    std::filesystem::path directory_;
};

}  // namespace plovik
