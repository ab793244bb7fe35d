#include "platform/simulated/SimulatedSystemServices.h"

#include <utility>

namespace plovik {

namespace {

// A controller handed to the application; the services keep the updater behind it.
class ForwardingUpdaterController final : public UpdaterController {
  public:
    explicit ForwardingUpdaterController(UpdaterController& updater) : updater_(updater) {}

    Published<bool>& canCheckForUpdates() override { return updater_.canCheckForUpdates(); }
    void checkForUpdates() override { updater_.checkForUpdates(); }
    std::optional<std::string> unavailableReason() const override {
        return updater_.unavailableReason();
    }

  private:
    UpdaterController& updater_;
};

}  // namespace

SimulatedSystemServices::SimulatedSystemServices()
    : installedSounds_{"Pop", "Glass", "Submarine", "Tink", "Bottle", "Morse"} {}

bool SimulatedSystemServices::playSound(const std::string& name) {
    if (!installedSounds_.contains(name)) {
        return false;
    }
    playedSounds_.push_back(name);
    return true;
}

void SimulatedSystemServices::postNotification(const UserNotification& notification) {
    notifications_.push_back(notification);
}

void SimulatedSystemServices::requestNotificationAuthorization(AuthorizationHandler handler) {
    authorizationHandlers_.push_back(std::move(handler));
}

bool SimulatedSystemServices::answerNotificationAuthorization(
    bool granted, const std::optional<std::string>& error) {
    if (authorizationHandlers_.empty()) {
        return false;
    }
    auto handler = std::move(authorizationHandlers_.front());
    authorizationHandlers_.erase(authorizationHandlers_.begin());
    if (handler) {
        handler(granted, error);
    }
    return true;
}

std::optional<std::string> SimulatedSystemServices::registerLoginItem() {
    return changeLoginItem(true);
}

std::optional<std::string> SimulatedSystemServices::unregisterLoginItem() {
    return changeLoginItem(false);
}

std::optional<std::string> SimulatedSystemServices::changeLoginItem(bool registered) {
    loginItemRequests_.push_back(registered);
    if (loginItemError_) {
        return loginItemError_;
    }
    loginItemRegistered_ = registered;
    return std::nullopt;
}

std::unique_ptr<UpdaterController> SimulatedSystemServices::createUpdaterController(
    bool startingUpdater) {
    createdUpdaters_.push_back(startingUpdater);
    return std::make_unique<ForwardingUpdaterController>(updater_);
}

}  // namespace plovik
