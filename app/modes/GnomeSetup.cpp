#include "app/modes/GnomeSetup.h"

#include "framework/ibus/wire/EngineName.h"
#include "platform/gnome/GSettingsInputSources.h"
#include "platform/gnome/GnomeShellBridge.h"
#include "platform/gnome/GnomeShellCurrentSource.h"
#include "platform/gnome/GnomeShellExtensions.h"
#include "platform/gnome/GnomeShortcutProbe.h"
#include "platform/gnome/IbusDaemonRegistry.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/linux/XkbLayoutName.h"

namespace plovik {

namespace {

std::string describe(XkbKeymapLibrary& keymaps, const GnomeInputSource& source) {
    const auto original = InputSourceReplacement::originalSourceFor(source);
    if (original.type == "xkb") {
        if (const auto name = ibus::EngineName::fromGnomeLayout(original.id)) {
            if (const auto layout =
                    keymaps.inputSource(XkbLayoutName{name->layout, name->variant}.id());
                layout && layout->localizedName) {
                return *layout->localizedName;
            }
        }
    }
    return original.id;
}

}  // namespace

struct GnomeSetup::Services {
    explicit Services(GnomeShellBridge* bridge)
        : currentSource(bridge ? *bridge : ownBridge.emplace()) {}

    std::optional<GnomeShellBridge> ownBridge;
    GnomeShellCurrentSource currentSource;
    GSettingsInputSources settings;
    IbusDaemonRegistry engines;
    GnomeShellExtensions extensions;
    GnomeShortcutProbe shortcuts;
};

GnomeSetup::GnomeSetup(std::filesystem::path configurationFolder, XkbKeymapLibrary& keymaps,
                       GnomeShellBridge* bridge)
    : services_(std::make_unique<Services>(bridge)) {
    Services& services = *services_;
    const auto windowMenuTakes = [&services](const ShortcutDefinition& shortcut) {
        const auto key = shortcut.key();
        const auto modifiers = shortcut.modifiers();
        const auto binding =
            key && modifiers ? services.shortcuts.bindingOf(*key, *modifiers) : std::nullopt;
        return binding && binding->key == GnomeShortcutProbe::kWindowMenuKey;
    };
    const auto freeWindowMenu = [&services](const ShortcutDefinition& shortcut) {
        const auto key = shortcut.key();
        const auto modifiers = shortcut.modifiers();
        return key && modifiers && services.shortcuts.freeFromWindowMenu(*key, *modifiers);
    };
    integration_ = std::make_unique<GnomeIntegration>(GnomeIntegration::Collaborators{
        services.settings, services.engines, services.extensions, services.currentSource,
        AtomicFile(configurationFolder / kRecordName),
        [&keymaps](const GnomeInputSource& source) { return describe(keymaps, source); },
        windowMenuTakes, freeWindowMenu});
}

GnomeSetup::~GnomeSetup() = default;

bool GnomeSetup::usesPlovikSources() const {
    const auto sources = services_->settings.sources();
    return sources && InputSourceReplacement::hasPlovikSources(*sources);
}

}  // namespace plovik
