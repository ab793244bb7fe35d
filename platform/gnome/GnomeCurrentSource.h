#pragma once

#include <optional>
#include <vector>

#include "platform/gnome/GnomeInputSource.h"

namespace plovik {

// GNOME's current input source, which only the Shell knows: the settings keep the order
// of use as of the user's last switch, and whenever the list of sources changes the
// Shell makes the first of its own order current.
class GnomeCurrentSource {
  public:
    virtual ~GnomeCurrentSource() = default;
    // Absent when the Shell does not say (Plovik's extension is not loaded).
    virtual std::optional<GnomeInputSource> current() = 0;
    // Makes `source` current once the Shell lists `sources`; false when it could not.
    virtual bool activate(const GnomeInputSource& source,
                          const std::vector<GnomeInputSource>& sources) = 0;
};

}  // namespace plovik
