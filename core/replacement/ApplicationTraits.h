#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/replacement/ApplicationLimitation.h"

namespace plovik {

// What particular desktop applications need from the replacement and focus services,
// by desktop-entry id. The lists are data, kept here and nowhere else.
class ApplicationTraits {
  public:
    // Writing text through accessibility is missing or misreports success there
    // (browsers, Chromium and Electron applications, terminals); typed keys work.
    static bool prefersKeyboardReplacement(const std::optional<std::string>& desktopEntryId);
    // The desktop-wide focus query does not find their focused field (no focus events);
    // it is searched for below the application's windows.
    static bool usesDescendantSearch(std::string_view desktopEntryId);
    // Why corrections are known to fail, or to be unsafe, there; absent where they work.
    static std::optional<ApplicationLimitation> limitation(std::string_view desktopEntryId);
};

}  // namespace plovik
