#include "platform/linux/DesktopEntryFiles.h"

#include <algorithm>
#include <set>
#include <system_error>

namespace plovik {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDesktopSuffix = ".desktop";

std::vector<fs::path> entryFilesBelow(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::recursive_directory_iterator
             it(folder, fs::directory_options::skip_permission_denied, error),
         end;
         !error && it != end; it.increment(error)) {
        if (DesktopEntryFiles::isEntryFile(it->path())) {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

std::vector<fs::path> DesktopEntryFiles::applicationFolders(
    const XdgDirectories::Environment& environment) {
    std::vector<fs::path> folders;
    for (const auto& directory : XdgDirectories::dataDirectories(environment)) {
        folders.push_back(directory / "applications");
    }
    return folders;
}

DesktopEntryFiles::Found DesktopEntryFiles::find(const std::vector<fs::path>& folders) {
    Found found;
    std::set<std::string> seen;
    for (const auto& folder : folders) {
        for (auto& file : entryFilesBelow(folder)) {
            auto id = identifierIn(folder, file);
            if (seen.insert(id).second) {
                found.emplace_back(std::move(id), std::move(file));
            }
        }
    }
    return found;
}

std::string DesktopEntryFiles::identifierIn(const fs::path& folder, const fs::path& file) {
    auto relative = file.lexically_relative(folder).string();
    std::replace(relative.begin(), relative.end(), '/', '-');
    return withoutSuffix(std::move(relative));
}

std::string DesktopEntryFiles::withoutSuffix(std::string name) {
    if (name.ends_with(kDesktopSuffix)) {
        name.erase(name.size() - kDesktopSuffix.size());
    }
    return name;
}

bool DesktopEntryFiles::isEntryFile(const fs::path& path) {
    const auto name = path.filename().string();
    return name.size() > kDesktopSuffix.size() && name.ends_with(kDesktopSuffix);
}

}  // namespace plovik
