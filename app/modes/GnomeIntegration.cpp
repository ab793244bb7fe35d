#include "app/modes/GnomeIntegration.h"

#include <algorithm>

namespace plovik {

namespace {

constexpr mode_t kPrivateFile = 0600;

std::vector<std::string> engineNames(const std::vector<GnomeInputSource>& sources) {
    std::vector<std::string> names;
    for (const auto& source : sources) {
        if (InputSourceReplacement::isPlovikSource(source)) {
            names.push_back(source.id);
        }
    }
    return names;
}

}  // namespace

GnomeIntegration::GnomeIntegration(Collaborators collaborators)
    : services_(std::move(collaborators)) {}

std::optional<InputSourceReplacement::Record> GnomeIntegration::record() const {
    const auto read = services_.record.read();
    const auto* text = std::get_if<std::string>(&read);
    return text ? InputSourceReplacement::Record::parse(*text) : std::nullopt;
}

bool GnomeIntegration::writeRecord(const InputSourceReplacement::Record& record) {
    return services_.record.replace(record.text(), kPrivateFile);
}

DesktopIntegration::Status GnomeIntegration::status() {
    Status status;
    const auto sources = services_.settings.sources();
    if (!sources) {
        status.problem = "GNOME's input-source settings cannot be read";
        return status;
    }
    const auto extension = services_.extensions.state(kExtensionUuid);
    status.isOn = InputSourceReplacement::hasPlovikSources(*sources) &&
                  extension != GnomeExtensionControl::State::inactive;
    status.needsLogOut = extension == GnomeExtensionControl::State::unknownToShell;
    for (const auto& source : *sources) {
        const auto replacement = InputSourceReplacement::plovikSourceFor(source);
        if (replacement != source) {
            status.changes.push_back(services_.describe(source));
        }
    }
    return status;
}

std::optional<GnomeInputSource> GnomeIntegration::currentOf(
    const std::vector<GnomeInputSource>& sources, const std::vector<GnomeInputSource>& mru) {
    const auto listed = [&](const GnomeInputSource& source) {
        return std::find(sources.begin(), sources.end(), source) != sources.end();
    };
    // The settings' order of use is as of the user's last switch; Plovik's own switches
    // and GNOME's per-window sources leave it behind.
    if (auto shown = services_.currentSource.current(); shown && listed(*shown)) {
        return shown;
    }
    const auto used = std::find_if(mru.begin(), mru.end(), listed);
    return used != mru.end() ? std::optional(*used) : std::nullopt;
}

std::optional<std::string> GnomeIntegration::turnOn() {
    settleUnfinishedChange();
    const auto sources = services_.settings.sources();
    const auto mru = services_.settings.mruSources();
    if (!sources || !mru) {
        return std::string("GNOME's input-source settings cannot be read");
    }
    const auto replaced = InputSourceReplacement::replaced(*sources);
    const bool extensionWasActive =
        services_.extensions.state(kExtensionUuid) == GnomeExtensionControl::State::active;
    auto record = this->record();
    if (!record || !InputSourceReplacement::hasPlovikSources(*sources)) {
        record = InputSourceReplacement::Record{*sources, *mru, replaced, !extensionWasActive, {}};
    } else {
        record->applied = replaced;
    }
    const bool replacing = replaced != *sources;
    if (const auto current = currentOf(*sources, *mru); current && replacing) {
        record->switchTo = InputSourceReplacement::plovikSourceFor(*current);
    }
    // Written first: whatever happens next, the user's own sources can be given back.
    if (!writeRecord(*record)) {
        return "cannot write " + services_.record.path().string();
    }
    if (!extensionWasActive && !services_.extensions.enable(kExtensionUuid)) {
        return std::string("GNOME Shell did not turn Plovik's extension on");
    }
    return replacing ? replaceSources(*record, InputSourceReplacement::replaced(*mru))
                     : std::nullopt;
}

std::optional<std::string> GnomeIntegration::replaceSources(
    InputSourceReplacement::Record& record, const std::vector<GnomeInputSource>& mru) {
    const auto names = engineNames(record.applied);
    // IBus reads its engines only as it starts: new layouts need it to read them again,
    // while GNOME still lists the layouts the engines are made for.
    if (services_.engines.knows(names) != true &&
        !services_.engines.reload(names, kEngineReloadTimeout)) {
        return std::string(
            "IBus does not offer Plovik's input sources; is the ibus package "
            "installed and IBus running?");
    }
    // GNOME reads the order of use from the settings only as the Shell starts; while it
    // runs, the new list makes its first source current, so the current one is switched
    // back to once GNOME has the list.
    if (!services_.settings.write(record.applied,
                                  InputSourceReplacement::orderOfUse(mru, record.switchTo))) {
        return std::string("GNOME's input-source settings cannot be written");
    }
    if (record.switchTo) {
        (void)services_.currentSource.activate(*record.switchTo, record.applied);
        record.switchTo.reset();
        (void)writeRecord(record);
    }
    return std::nullopt;
}

std::optional<std::string> GnomeIntegration::turnOff() {
    settleUnfinishedChange();
    const auto sources = services_.settings.sources();
    const auto mru = services_.settings.mruSources();
    if (!sources || !mru) {
        return std::string("GNOME's input-source settings cannot be read");
    }
    auto record = this->record();
    const auto restored = InputSourceReplacement::restored(*sources, record);
    if (restored != *sources) {
        const auto current = currentOf(*sources, *mru);
        const auto back = current
                              ? std::optional(InputSourceReplacement::originalSourceFor(*current))
                              : std::nullopt;
        if (record) {
            record->switchTo = back;
            (void)writeRecord(*record);
        }
        if (!services_.settings.write(restored,
                                      InputSourceReplacement::orderOfUse(
                                          InputSourceReplacement::originals(*mru), back))) {
            return std::string("GNOME's input-source settings cannot be written");
        }
        if (back) {
            (void)services_.currentSource.activate(*back, restored);
        }
    }
    if (record && record->enabledExtension) {
        (void)services_.extensions.disable(kExtensionUuid);
    }
    (void)services_.record.remove();
    return std::nullopt;
}

void GnomeIntegration::settleUnfinishedChange() {
    auto record = this->record();
    const auto sources = services_.settings.sources();
    if (!record || !sources) {
        return;
    }
    const auto& target = record->switchTo;
    if (target && std::find(sources->begin(), sources->end(), *target) != sources->end()) {
        (void)services_.currentSource.activate(*target, *sources);
    }
    if (!InputSourceReplacement::hasPlovikSources(*sources) && *sources == record->sources) {
        (void)services_.record.remove();
    } else if (target) {
        record->switchTo.reset();
        (void)writeRecord(*record);
    }
}

bool GnomeIntegration::desktopTakes(const ShortcutDefinition& shortcut) {
    return services_.desktopTakes && services_.desktopTakes(shortcut);
}

bool GnomeIntegration::freeForPlovik(const ShortcutDefinition& shortcut) {
    return services_.freeForPlovik && services_.freeForPlovik(shortcut);
}

}  // namespace plovik
