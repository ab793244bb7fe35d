#pragma once

#include <filesystem>

#include "core/platform/SettingsFiles.h"

namespace plovik {

// User defaults as one file per key in a folder (normally ~/.config/plovik), each
// holding the blob exactly. Files are replaced atomically and readable only by
// the user. Keys that are not plain file names are refused. Writers in other processes
// that take the same folder lock are kept apart; changes are watched through GIO on the
// main context of the thread that asks to observe.
class FolderSettingsFiles final : public SettingsFiles {
  public:
    explicit FolderSettingsFiles(std::filesystem::path directory)
        : directory_(std::move(directory)) {}

    Entry entry(const std::string& key) const override;
    std::optional<std::string> storeData(const std::string& key,
                                         std::span<const std::uint8_t> data) override;
    void removeKey(const std::string& key) override;
    std::string locationOf(const std::string& key) const override;
    void exclusively(const std::function<void()>& work) override;
    [[nodiscard]] Subscription observe(const std::string& key,
                                       std::function<void()> onChange) override;

    const std::filesystem::path& directory() const { return directory_; }
    // Not empty, no "/" or NUL, and no leading "." (which also rules out "." and "..";
    // hidden names are left for temporary files).
    static bool isValidKey(const std::string& key);

  private:
    std::filesystem::path directory_;
};

}  // namespace plovik
