#pragma once

#include "core/platform/LayoutSource.h"
#include "core/platform/MainQueue.h"
#include "platform/gnome/GnomeShellBridge.h"
#include "platform/linux/XkbKeymapLibrary.h"

namespace plovik {

// GNOME's input sources as Plovik sees them: each Plovik engine is the keyboard layout
// it declares (the same ids as on X11, "xkb:us"), with that layout's key map. Sources
// Plovik's engines do not serve are listed with a type of their own, since Plovik sees
// no key typed while they are active. Selected through the Shell extension, once the
// work queued before the switch is done: IBus stops hearing the engine it switches away
// from, so a Return handed back to it must have gone on by then.
class GnomeLayoutSource final : public LayoutSource {
  public:
    static constexpr const char* kUnseenType = "input source without Plovik";

    // `settle` waits until the engines have done what Plovik asked of them so far.
    GnomeLayoutSource(GnomeShellBridge& bridge, XkbKeymapLibrary& keymaps, MainQueue& mainQueue,
                      std::function<void()> settle);

    std::vector<InputSource> enabledKeyboardSources() const override;
    std::optional<InputSource> installedSource(std::string_view id) const override;
    std::optional<std::string> currentSourceId() const override;
    bool select(const InputSource& source) override;
    [[nodiscard]] Subscription observeSelectionChanges(std::function<void()> handler) override;

    // Plovik's id of one of GNOME's sources ("xkb:us" for ("ibus", "plovik-us")).
    static std::string idOf(const GnomeShellBridge::Source& source);

  private:
    GnomeShellBridge& bridge_;
    XkbKeymapLibrary& keymaps_;
    MainQueue& mainQueue_;
    std::function<void()> settle_;
};

}  // namespace plovik
