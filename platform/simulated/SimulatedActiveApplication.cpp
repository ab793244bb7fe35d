#include "platform/simulated/SimulatedActiveApplication.h"

#include <stdexcept>

namespace plovik {

SimulatedActiveApplication::SimulatedActiveApplication(
    std::weak_ptr<SimulatedAccessibilityEnvironment> environment)
    : environment_(std::move(environment)) {}

std::shared_ptr<SimulatedApplication> SimulatedActiveApplication::launch(RunningApplication info) {
    if (applications_.contains(info.processIdentifier)) {
        throw std::invalid_argument("process identifier " + std::to_string(info.processIdentifier) +
                                    " is already running");
    }
    auto application = std::make_shared<SimulatedApplication>(info, environment_);
    applications_.emplace(info.processIdentifier, application);
    return application;
}

void SimulatedActiveApplication::terminate(std::int32_t processIdentifier) {
    applications_.erase(processIdentifier);
    if (frontmost_ == processIdentifier) {
        frontmost_.reset();
    }
}

std::shared_ptr<SimulatedApplication> SimulatedActiveApplication::application(
    std::int32_t processIdentifier) const {
    const auto found = applications_.find(processIdentifier);
    return found == applications_.end() ? nullptr : found->second;
}

std::shared_ptr<SimulatedApplication> SimulatedActiveApplication::frontmost() const {
    return frontmost_ ? application(*frontmost_) : nullptr;
}

bool SimulatedActiveApplication::activate(std::int32_t processIdentifier) {
    const auto activated = application(processIdentifier);
    if (!activated) {
        return false;
    }
    frontmost_ = processIdentifier;
    activations_.notify({activated->info()});
    return true;
}

void SimulatedActiveApplication::postActivationWithoutApplication() {
    activations_.notify({std::nullopt});
}

std::optional<RunningApplication> SimulatedActiveApplication::frontmostApplication() const {
    const auto application = frontmost();
    return application ? std::optional(application->info()) : std::nullopt;
}

std::optional<RunningApplication> SimulatedActiveApplication::runningApplication(
    std::int32_t processIdentifier) const {
    const auto found = application(processIdentifier);
    return found ? std::optional(found->info()) : std::nullopt;
}

Subscription SimulatedActiveApplication::observeActivations(ActivationObserver observer) {
    return activations_.observe(std::move(observer));
}

bool SimulatedActiveApplication::openUrl(const std::string& url) {
    if (!opensUrls_) {
        return false;
    }
    openedUrls_.push_back(url);
    return true;
}

}  // namespace plovik
