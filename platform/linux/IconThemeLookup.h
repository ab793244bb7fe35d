#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace plovik {

// Finds an icon's file by name as freedesktop icon themes lay them out: the preferred
// theme, the themes it inherits, then "hicolor", then the plain pixmaps folders.
class IconThemeLookup {
  public:
    // `dataDirectories` as XdgDirectories gives them; `home` adds ~/.icons.
    IconThemeLookup(std::vector<std::filesystem::path> dataDirectories,
                    std::optional<std::filesystem::path> home,
                    std::optional<std::string> preferredTheme);

    // The file that draws best at `size` pixels; absent when no theme has the icon.
    std::optional<std::filesystem::path> find(const std::string& name, int size) const;

  private:
    struct Candidate {
        std::filesystem::path file;
        int distance;
    };
    std::vector<std::string> themeChain() const;
    std::optional<std::filesystem::path> indexFile(const std::string& theme) const;
    std::optional<Candidate> findInTheme(const std::string& theme, const std::string& name,
                                         int size) const;
    std::optional<std::filesystem::path> findPixmap(const std::string& name) const;

    std::vector<std::filesystem::path> iconDirectories_;
    std::vector<std::filesystem::path> pixmapDirectories_;
    std::optional<std::string> preferredTheme_;
};

}  // namespace plovik
