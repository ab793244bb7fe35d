#pragma once

#include <string>
#include <vector>

#include "framework/ibus/wire/EngineName.h"

namespace plovik::ibus {

// The Plovik engines IBus offers: one per layout, each declaring its XKB layout so
// that GNOME loads that key map while the engine is active.
class EngineList {
  public:
    struct Entry {
        EngineName name;
        // The layout as the XKB registry describes it ("English (US)").
        std::string description;
        // ISO 639 code and the short name GNOME shows in its top bar ("en").
        std::string language;
        std::string symbol;
        bool operator==(const Entry&) const = default;
    };

    void add(Entry entry);
    const std::vector<Entry>& entries() const { return entries_; }
    // The `<engines>` element IBus reads from the component's engine program.
    std::string xml() const;

  private:
    std::vector<Entry> entries_;
};

}  // namespace plovik::ibus
