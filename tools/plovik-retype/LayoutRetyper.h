#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/layouts/TypingSimulator.h"
#include "core/platform/KeyLayoutData.h"

namespace plovik {

// What text meant for one layout shows when the keys that type it are pressed with another
// layout selected ("привет" typed for Russian shows "ghbdtn" under US).
class LayoutRetyper {
  public:
    LayoutRetyper(const KeyLayoutData& meantLayout, const KeyLayoutData& selectedLayout);

    // Characters the meant layout cannot type, and keys the selected layout cannot
    // translate, are kept as they are.
    std::string retype(std::string_view text) const;

  private:
    TypingSimulator typist_;
    const KeyLayoutData& selectedLayout_;
};

}  // namespace plovik
