#include "platform/linux/LoadedLibraries.h"

#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <iterator>

namespace plovik {

LoadedLibraries LoadedLibraries::now() {
    LoadedLibraries libraries;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            // The program itself has no name.
            if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0') {
                static_cast<LoadedLibraries*>(data)->paths_.insert(info->dlpi_name);
            }
            return 0;
        },
        &libraries);
    return libraries;
}

bool LoadedLibraries::contains(const std::string& path) const {
    return paths_.contains(path);
}

std::vector<std::string> LoadedLibraries::addedSince(const LoadedLibraries& earlier) const {
    std::vector<std::string> added;
    std::ranges::set_difference(paths_, earlier.paths_, std::back_inserter(added));
    return added;
}

bool LoadedLibraries::keepResident(const std::string& path) {
    // dlopen takes an empty name for the program itself.
    if (path.empty()) {
        return false;
    }
    void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
    if (handle == nullptr) {
        return false;
    }
    // The object stays marked resident; only the reference just taken is given back.
    dlclose(handle);
    return true;
}

}  // namespace plovik
