#include "platform/fcitx5/Fcitx5ActiveApplication.h"

#include "platform/linux/DesktopUrlOpener.h"
#include "platform/x11/WindowIdentity.h"

namespace plovik {

Fcitx5ActiveApplication::Fcitx5ActiveApplication(Fcitx5ModuleClient& module,
                                                 DesktopEntryCatalog catalog, MainQueue& mainQueue,
                                                 FocusedProcess focusedProcess)
    : module_(module),
      catalog_(std::move(catalog)),
      mainQueue_(mainQueue),
      focusedProcess_(std::move(focusedProcess)) {}

RunningApplication Fcitx5ActiveApplication::applicationOf(const std::string& program,
                                                          const DesktopEntryCatalog& catalog) {
    RunningApplication application;
    auto entry = catalog.byExecutable(program);
    if (!entry) {
        entry = catalog.byName(program);
    }
    application.bundleIdentifier = entry ? entry->id : program;
    application.localizedName = entry ? entry->name : program;
    return application;
}

std::optional<RunningApplication> Fcitx5ActiveApplication::frontmostApplication() const {
    const auto field = module_.focusedField();
    if (!field || !field->focus.focused) {
        return std::nullopt;
    }
    if (!field->focus.program.empty()) {
        return applicationOf(field->focus.program, catalog_);
    }
    const auto process = focusedProcess_ ? focusedProcess_() : std::nullopt;
    return process ? runningApplication(*process) : std::nullopt;
}

std::optional<RunningApplication> Fcitx5ActiveApplication::runningApplication(
    std::int32_t processIdentifier) const {
    WindowIdentity identity;
    identity.pid = processIdentifier;
    identity.executable = WindowIdentity::executableOf(processIdentifier);
    if (!identity.executable) {
        return std::nullopt;
    }
    return identity.application(catalog_);
}

void Fcitx5ActiveApplication::fieldChanged() {
    mainQueue_.post([this, alive = std::weak_ptr<bool>(alive_)] {
        if (!alive.expired()) {
            notify();
        }
    });
}

void Fcitx5ActiveApplication::notify() {
    activations_.notifyIfChanged(frontmostApplication());
}

Subscription Fcitx5ActiveApplication::observeActivations(ActivationObserver observer) {
    return activations_.observe(std::move(observer));
}

bool Fcitx5ActiveApplication::openUrl(const std::string& url) {
    return DesktopUrlOpener::open(url);
}

}  // namespace plovik
