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

std::optional<std::string> GnomeIntegration::turnOn() {
    const auto sources = services_.settings.sources();
    const auto mru = services_.settings.mruSources();
    if (!sources || !mru) {
        return std::string("GNOME's input-source settings cannot be read");
    }
    const auto replaced = InputSourceReplacement::replaced(*sources);
    const auto replacedMru = InputSourceReplacement::replaced(*mru);
    const bool extensionWasActive =
        services_.extensions.state(kExtensionUuid) == GnomeExtensionControl::State::active;
    // Written first: whatever happens next, the user's own sources can be given back.
    auto record = this->record();
    if (!record || !InputSourceReplacement::hasPlovikSources(*sources)) {
        record = InputSourceReplacement::Record{*sources, *mru, replaced, !extensionWasActive};
    } else {
        record->applied = replaced;
    }
    if (!writeRecord(*record)) {
        return "cannot write " + services_.record.path().string();
    }
    if (!extensionWasActive && !services_.extensions.enable(kExtensionUuid)) {
        return std::string("GNOME Shell did not turn Plovik's extension on");
    }
    if (replaced != *sources) {
        if (auto error = replaceSources(replaced, replacedMru)) {
            return error;
        }
    }
    return std::nullopt;
}

std::optional<std::string> GnomeIntegration::replaceSources(
    const std::vector<GnomeInputSource>& sources, const std::vector<GnomeInputSource>& mru) {
    const auto names = engineNames(sources);
    // IBus reads its engines only as it starts: new layouts need it to read them again,
    // while GNOME still lists the layouts the engines are made for.
    if (services_.engines.knows(names) != true &&
        !services_.engines.reload(names, kEngineReloadTimeout)) {
        return std::string(
            "IBus does not offer Plovik's input sources; is the ibus package "
            "installed and IBus running?");
    }
    if (!services_.settings.write(sources, mru)) {
        return std::string("GNOME's input-source settings cannot be written");
    }
    activateCurrent(sources, mru);
    return std::nullopt;
}

void GnomeIntegration::activateCurrent(const std::vector<GnomeInputSource>& sources,
                                       const std::vector<GnomeInputSource>& mru) {
    if (mru.empty() || !services_.activate) {
        return;
    }
    const auto current = std::find(sources.begin(), sources.end(), mru.front());
    if (current != sources.end()) {
        (void)services_.activate(static_cast<std::size_t>(current - sources.begin()));
    }
}

std::optional<std::string> GnomeIntegration::turnOff() {
    const auto sources = services_.settings.sources();
    const auto mru = services_.settings.mruSources();
    if (!sources || !mru) {
        return std::string("GNOME's input-source settings cannot be read");
    }
    const auto record = this->record();
    const auto restored = InputSourceReplacement::restored(*sources, record);
    std::vector<GnomeInputSource> restoredMru;
    for (const auto& source : *mru) {
        restoredMru.push_back(InputSourceReplacement::originalSourceFor(source));
    }
    if (restored != *sources) {
        if (!services_.settings.write(restored, restoredMru)) {
            return std::string("GNOME's input-source settings cannot be written");
        }
        activateCurrent(restored, restoredMru);
    }
    if (record && record->enabledExtension) {
        (void)services_.extensions.disable(kExtensionUuid);
    }
    (void)services_.record.remove();
    return std::nullopt;
}

void GnomeIntegration::settleUnfinishedChange() {
    const auto record = this->record();
    const auto sources = services_.settings.sources();
    if (record && sources && !InputSourceReplacement::hasPlovikSources(*sources) &&
        *sources == record->sources) {
        (void)services_.record.remove();
    }
}

bool GnomeIntegration::desktopTakes(const ShortcutDefinition& shortcut) {
    return services_.desktopTakes && services_.desktopTakes(shortcut);
}

bool GnomeIntegration::freeForPlovik(const ShortcutDefinition& shortcut) {
    return services_.freeForPlovik && services_.freeForPlovik(shortcut);
}

}  // namespace plovik
