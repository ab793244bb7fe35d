#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace plovik::text {

// Orders names as the user's language does, ignoring letter case but not accents
// ("apple" before "Zoom", "Apple" equal to "apple").
class LocalizedComparison {
  public:
    // A locale name such as "en_US" or "ru"; an empty or unknown name uses the root order.
    explicit LocalizedComparison(const std::string& localeName);
    LocalizedComparison(LocalizedComparison&&) noexcept;
    LocalizedComparison& operator=(LocalizedComparison&&) noexcept;
    ~LocalizedComparison();

    // Negative, zero or positive as a sorts before, with or after b.
    int compare(std::string_view a, std::string_view b) const;
    bool operator()(std::string_view a, std::string_view b) const { return compare(a, b) < 0; }

    // The collation locale of this process from LC_ALL, LC_COLLATE or LANG.
    static std::string userLocaleName();
    // "ru_RU.UTF-8" gives "ru_RU"; "C" and "POSIX" give "" (root order).
    static std::string localeNameFromPosix(std::string_view posixLocale);

  private:
    struct Collator;
    std::unique_ptr<Collator> collator_;
};

}  // namespace plovik::text
