#pragma once

#include <set>
#include <string>
#include <vector>

namespace plovik {

// The shared objects mapped into this process at one moment, by path.
class LoadedLibraries {
  public:
    static LoadedLibraries now();

    bool contains(const std::string& path) const;
    const std::set<std::string>& paths() const { return paths_; }

    // The objects held here that `earlier` did not hold.
    std::vector<std::string> addedSince(const LoadedLibraries& earlier) const;

    // Keeps a loaded object mapped until the process ends, however often it is closed:
    // for modules a library unloads while its own threads still return through them.
    // False when the object is not loaded (it is then not loaded either).
    static bool keepResident(const std::string& path);

  private:
    std::set<std::string> paths_;
};

}  // namespace plovik
