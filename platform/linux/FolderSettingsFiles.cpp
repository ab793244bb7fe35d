#include "platform/linux/FolderSettingsFiles.h"

#include <climits>
#include <memory>
#include <string_view>
#include <variant>

#include "core/support/AtomicFile.h"
#include "core/support/FolderLock.h"
#include "platform/linux/FileChangeMonitor.h"

namespace plovik {

bool FolderSettingsFiles::isValidKey(const std::string& key) {
    return !key.empty() && key.size() <= NAME_MAX && key.front() != '.' &&
           key.find('/') == std::string::npos && key.find('\0') == std::string::npos;
}

SettingsFiles::Entry FolderSettingsFiles::entry(const std::string& key) const {
    if (!isValidKey(key)) {
        return Absent{};
    }
    auto contents = AtomicFile(directory_ / key).read();
    if (std::holds_alternative<AtomicFile::Absent>(contents)) {
        return Absent{};
    }
    if (auto* unreadable = std::get_if<AtomicFile::Unreadable>(&contents)) {
        return Unreadable{std::move(unreadable->reason)};
    }
    const auto& bytes = std::get<std::string>(contents);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::optional<std::string> FolderSettingsFiles::storeData(const std::string& key,
                                                          std::span<const std::uint8_t> data) {
    if (!isValidKey(key)) {
        return "\"" + key + "\" is not a file name";
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
    std::error_code error;
    if (!AtomicFile(directory_ / key).replace(bytes, 0600, error)) {
        return error.message();
    }
    return std::nullopt;
}

void FolderSettingsFiles::removeKey(const std::string& key) {
    if (isValidKey(key)) {
        AtomicFile(directory_ / key).remove();
    }
}

std::string FolderSettingsFiles::locationOf(const std::string& key) const {
    return (directory_ / key).string();
}

void FolderSettingsFiles::exclusively(const std::function<void()>& work) {
    const FolderLock lock(directory_);
    work();
}

Subscription FolderSettingsFiles::observe(const std::string& key, std::function<void()> onChange) {
    if (!isValidKey(key)) {
        return {};
    }
    std::shared_ptr<FileChangeMonitor> monitor =
        FileChangeMonitor::watch(directory_ / key, std::move(onChange));
    return Subscription([monitor]() mutable { monitor.reset(); });
}

}  // namespace plovik
