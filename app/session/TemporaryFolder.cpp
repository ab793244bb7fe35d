#include "app/session/TemporaryFolder.h"

#include <stdlib.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace plovik {

TemporaryFolder::TemporaryFolder() : TemporaryFolder(std::filesystem::temp_directory_path()) {}

TemporaryFolder::TemporaryFolder(const std::filesystem::path& parent) {
    std::string pattern = parent / "plovik-XXXXXX";
    // mkdtemp creates the folder with mode 0700: the history inside stays private.
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::filesystem::filesystem_error("cannot create a temporary folder", pattern,
                                                std::error_code(errno, std::generic_category()));
    }
    path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace plovik
