#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/XkbLayoutName.h"

namespace plovik {

// Names and languages of the XKB layouts the system knows, read once from the
// system's rules registry (never the user's own XKB files).
class XkbLayoutRegistry {
  public:
    struct Entry {
        XkbLayoutName name;
        std::string description;  // "Russian", "English (Dvorak)"
        // ISO 639-1 where one exists ("ru"), otherwise the registry's code.
        std::vector<std::string> languages;

        bool operator==(const Entry&) const = default;
    };

    // Empty when the registry cannot be read.
    explicit XkbLayoutRegistry(const std::string& includePath = "/usr/share/X11/xkb");

    std::optional<Entry> find(const XkbLayoutName& name) const;
    bool isEmpty() const { return entries_.empty(); }

    // "rus" -> "ru", "ger" -> "de"; a code without a two-letter form stays as it is.
    static std::string twoLetterLanguage(const std::string& code);

  private:
    // Keyed by input source id.
    std::map<std::string, Entry, std::less<>> entries_;
};

}  // namespace plovik
