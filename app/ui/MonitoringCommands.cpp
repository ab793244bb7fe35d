#include "app/ui/MonitoringCommands.h"

namespace plovik::ui {

MonitoringCommands::MonitoringCommands(AppCoordinator& coordinator, const Clock& clock)
    : coordinator_(coordinator), clock_(clock) {}

bool MonitoringCommands::isSwitchOn() const {
    return coordinator_.settingsStore().settings().monitoringEnabled && !coordinator_.isPaused();
}

std::string MonitoringCommands::switchLabel() const {
    return coordinator_.isPaused() ? "Paused" : "Enabled";
}

void MonitoringCommands::setSwitch(bool on) {
    auto& store = coordinator_.settingsStore();
    if (on) {
        store.update([](AppSettings& settings) { settings.monitoringEnabled = true; });
        store.update([](AppSettings& settings) { settings.pauseUntil.reset(); });
    } else {
        store.update([](AppSettings& settings) { settings.monitoringEnabled = false; });
        coordinator_.tokenBuffer().reset();
    }
    coordinator_.notifyChanged();
}

void MonitoringCommands::pauseFor(std::chrono::seconds duration) {
    const auto until = clock_.now() + duration;
    coordinator_.settingsStore().update(
        [until](AppSettings& settings) { settings.pauseUntil = until; });
    coordinator_.tokenBuffer().reset();
    coordinator_.notifyChanged();
}

void MonitoringCommands::resume() {
    coordinator_.settingsStore().update([](AppSettings& settings) { settings.pauseUntil.reset(); });
    coordinator_.notifyChanged();
}

bool MonitoringCommands::shouldShowOnboarding() const {
    return !coordinator_.settingsStore().settings().hasCompletedOnboarding ||
           !coordinator_.permissionSnapshot()->isReady();
}

}  // namespace plovik::ui
