#include "platform/linux/FileDefaultsDatabase.h"

#include <climits>
#include <string_view>
#include <variant>

#include "core/support/AtomicFile.h"

namespace plovik {

bool FileDefaultsDatabase::isValidKey(const std::string& key) {
    return !key.empty() && key.size() <= NAME_MAX && key.front() != '.' &&
           key.find('/') == std::string::npos && key.find('\0') == std::string::npos;
}

DefaultsDatabase::Entry FileDefaultsDatabase::entry(const std::string& key) const {
    if (!isValidKey(key)) {
        return Absent{};
    }
    const auto contents = AtomicFile(directory_ / key).read();
    if (std::holds_alternative<AtomicFile::Absent>(contents)) {
        return Absent{};
    }
    const auto* bytes = std::get_if<std::string>(&contents);
    if (bytes == nullptr) {
        return Unreadable{};
    }
    return std::vector<std::uint8_t>(bytes->begin(), bytes->end());
}

bool FileDefaultsDatabase::setData(const std::string& key, std::span<const std::uint8_t> data) {
    if (!isValidKey(key)) {
        return false;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
    return AtomicFile(directory_ / key).replace(bytes, 0600);
}

void FileDefaultsDatabase::removeKey(const std::string& key) {
    if (isValidKey(key)) {
        AtomicFile(directory_ / key).remove();
    }
}

}  // namespace plovik
