#pragma once

#include <chrono>

#include "platform/gnome/GnomeCurrentSource.h"
#include "platform/gnome/GnomeShellBridge.h"

namespace plovik {

// The current input source through Plovik's Shell extension. Activating waits, at most
// `listTimeout`, for the Shell to take up a list just written to the settings: activated
// earlier, the source would be replaced by the Shell's own pick as the list arrives.
class GnomeShellCurrentSource final : public GnomeCurrentSource {
  public:
    static constexpr std::chrono::milliseconds kListTimeout{10000};

    explicit GnomeShellCurrentSource(GnomeShellBridge& bridge,
                                     std::chrono::milliseconds listTimeout = kListTimeout);

    std::optional<GnomeInputSource> current() override;
    bool activate(const GnomeInputSource& source,
                  const std::vector<GnomeInputSource>& sources) override;

    // Whether the Shell's list is `written`: the Shell leaves out the sources it cannot
    // offer (a layout it does not know, an engine IBus lacks), so the list it shows is
    // the written one with some left out.
    static bool shows(const std::vector<GnomeInputSource>& shown,
                      const std::vector<GnomeInputSource>& written);

  private:
    std::vector<GnomeInputSource> shownSources() const;

    GnomeShellBridge& bridge_;
    std::chrono::milliseconds listTimeout_;
};

}  // namespace plovik
