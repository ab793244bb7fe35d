#pragma once

#include <optional>
#include <vector>

#include "platform/gnome/GnomeInputSource.h"

namespace plovik {

// GNOME's list of input sources and its most-recently-used order, in the user's
// settings (org.gnome.desktop.input-sources). Absent where GNOME's schemas are missing.
class GnomeInputSourceSettings {
  public:
    virtual ~GnomeInputSourceSettings() = default;

    virtual std::optional<std::vector<GnomeInputSource>> sources() const = 0;
    virtual std::optional<std::vector<GnomeInputSource>> mruSources() const = 0;
    // Both written together; false when the settings could not be written.
    virtual bool write(const std::vector<GnomeInputSource>& sources,
                       const std::vector<GnomeInputSource>& mruSources) = 0;
};

}  // namespace plovik
