#include "platform/gnome/GnomeActiveApplication.h"

#include "platform/linux/DesktopUrlOpener.h"

namespace plovik {

namespace {

std::optional<RunningApplication> running(const GnomeShellBridge::Application& application) {
    RunningApplication result;
    result.processIdentifier = application.processIdentifier;
    if (!application.id.empty()) {
        result.bundleIdentifier = application.id;
    }
    if (!application.windowClass.empty()) {
        result.localizedName = application.windowClass;
    }
    return result;
}

}  // namespace

GnomeActiveApplication::GnomeActiveApplication(GnomeShellBridge& bridge) : bridge_(bridge) {}

std::optional<RunningApplication> GnomeActiveApplication::frontmostApplication() const {
    const auto& focused = bridge_.focusedApplication();
    return focused ? running(*focused) : std::nullopt;
}

std::optional<RunningApplication> GnomeActiveApplication::runningApplication(
    std::int32_t processIdentifier) const {
    const auto& focused = bridge_.focusedApplication();
    if (focused && focused->processIdentifier == processIdentifier && processIdentifier != 0) {
        return running(*focused);
    }
    return std::nullopt;
}

std::optional<std::int32_t> GnomeActiveApplication::focusedProcess() const {
    const auto& focused = bridge_.focusedApplication();
    if (!focused || focused->processIdentifier == 0) {
        return std::nullopt;
    }
    return focused->processIdentifier;
}

Subscription GnomeActiveApplication::observeActivations(ActivationObserver observer) {
    return bridge_.observeFocus([this, observer = std::move(observer)] {
        observer(ApplicationActivation{frontmostApplication()});
    });
}

bool GnomeActiveApplication::openUrl(const std::string& url) {
    return DesktopUrlOpener::open(url);
}

}  // namespace plovik
