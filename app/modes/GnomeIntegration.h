#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/modes/DesktopIntegration.h"
#include "core/support/AtomicFile.h"
#include "platform/gnome/GnomeCurrentSource.h"
#include "platform/gnome/GnomeExtensionControl.h"
#include "platform/gnome/GnomeInputSourceSettings.h"
#include "platform/gnome/IbusEngineRegistry.h"
#include "platform/gnome/InputSourceReplacement.h"

namespace plovik {

// Plovik's part of a GNOME session: its input sources in place of the user's (each
// layout by Plovik's engine of the same layout, same order, same current one) and its
// Shell extension. What was replaced is recorded before anything changes, and given
// back exactly when the integration is turned off.
class GnomeIntegration final : public DesktopIntegration {
  public:
    static constexpr const char* kExtensionUuid = "plovik@plovik.github.io";
    static constexpr std::chrono::milliseconds kEngineReloadTimeout{15000};

    struct Collaborators {
        GnomeInputSourceSettings& settings;
        IbusEngineRegistry& engines;
        GnomeExtensionControl& extensions;
        GnomeCurrentSource& currentSource;
        // The record of what was replaced, a file of the user's own.
        AtomicFile record;
        // The user's name for a source ("Russian").
        std::function<std::string(const GnomeInputSource&)> describe;
        // Whether GNOME takes a shortcut in a binding the user may give up, and doing so.
        std::function<bool(const ShortcutDefinition&)> desktopTakes;
        std::function<bool(const ShortcutDefinition&)> freeForPlovik;
    };

    explicit GnomeIntegration(Collaborators collaborators);

    Status status() override;
    std::optional<std::string> turnOn() override;
    std::optional<std::string> turnOff() override;
    bool desktopTakes(const ShortcutDefinition& shortcut) override;
    bool freeForPlovik(const ShortcutDefinition& shortcut) override;

    // After Plovik stopped half-way through a change: the source that was current is made
    // current again, and a record of sources that are no longer replaced is dropped, so
    // that nothing is given back that was not taken.
    void settleUnfinishedChange();
    std::optional<InputSourceReplacement::Record> record() const;

  private:
    std::optional<std::string> replaceSources(InputSourceReplacement::Record& record,
                                              const std::vector<GnomeInputSource>& mru);
    std::optional<GnomeInputSource> currentOf(const std::vector<GnomeInputSource>& sources,
                                              const std::vector<GnomeInputSource>& mru);
    bool writeRecord(const InputSourceReplacement::Record& record);

    Collaborators services_;
};

}  // namespace plovik
