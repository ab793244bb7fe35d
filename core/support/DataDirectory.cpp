#include "core/support/DataDirectory.h"

#include <algorithm>
#include <system_error>

namespace plovik {

DataDirectory DataDirectory::besideProgram(const std::filesystem::path& program) {
    return DataDirectory((program.parent_path() / PLOVIK_DATA_FROM_PROGRAM).lexically_normal());
}

std::optional<DataDirectory> DataDirectory::ofRunningProgram() {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || program.empty()) {
        return std::nullopt;
    }
    return besideProgram(program);
}

std::optional<std::filesystem::path> DataDirectory::file(std::string_view name) const {
    const std::filesystem::path relative(name);
    if (relative.empty() || relative.has_root_path() ||
        std::any_of(relative.begin(), relative.end(),
                    [](const std::filesystem::path& part) { return part == ".."; })) {
        return std::nullopt;
    }
    auto candidate = directory_ / relative;
    std::error_code error;
    if (!std::filesystem::is_regular_file(candidate, error)) {
        return std::nullopt;
    }
    return candidate;
}

}  // namespace plovik
