#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/gnome/GnomeInputSource.h"

namespace plovik {

// How Plovik's input sources take the place of the user's GNOME sources and give them
// back: each layout source becomes the Plovik engine of the same layout, in the same
// place; other sources stay as they are. What was replaced is kept in a record written
// before GNOME's settings change, so that it survives Plovik stopping half-way.
class InputSourceReplacement {
  public:
    struct Record {
        std::vector<GnomeInputSource> sources;
        std::vector<GnomeInputSource> mruSources;
        // What Plovik put in their place; the user may have changed it since.
        std::vector<GnomeInputSource> applied;
        // Plovik turned its Shell extension on, and turns it off again.
        bool enabledExtension = false;
        // While the list is being changed: the source to make current once GNOME has the
        // new list, which GNOME itself would not.
        std::optional<GnomeInputSource> switchTo;

        std::string text() const;
        // Absent when the text is not a record.
        static std::optional<Record> parse(std::string_view text);
        bool operator==(const Record&) const = default;
    };

    static GnomeInputSource plovikSourceFor(const GnomeInputSource& source);
    static GnomeInputSource originalSourceFor(const GnomeInputSource& source);
    static std::vector<GnomeInputSource> replaced(const std::vector<GnomeInputSource>& sources);
    static std::vector<GnomeInputSource> originals(const std::vector<GnomeInputSource>& sources);
    // The order of use with `current` first, as GNOME keeps it after a switch.
    static std::vector<GnomeInputSource> orderOfUse(const std::vector<GnomeInputSource>& mru,
                                                    const std::optional<GnomeInputSource>& current);
    static bool isPlovikSource(const GnomeInputSource& source);
    static bool hasPlovikSources(const std::vector<GnomeInputSource>& sources);
    // The user's sources back: the recorded ones while the list is what Plovik made of
    // them; otherwise the list as it is now, each Plovik source turned back into its layout.
    static std::vector<GnomeInputSource> restored(const std::vector<GnomeInputSource>& current,
                                                  const std::optional<Record>& record);
};

}  // namespace plovik
