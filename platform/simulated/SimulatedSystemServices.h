#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/platform/SystemServices.h"
#include "platform/simulated/SimulatedUpdaterController.h"

namespace plovik {

// The application services of the simulated desktop. Everything asked is recorded;
// sounds, the login item and the notification prompt can be made to fail. Every
// controller it creates drives the one updater() it owns, so it must outlive them.
class SimulatedSystemServices final : public SystemServices {
  public:
    // The six correction sounds are installed.
    SimulatedSystemServices();

    bool playSound(const std::string& name) override;
    void postNotification(const UserNotification& notification) override;
    void requestNotificationAuthorization(AuthorizationHandler handler) override;
    std::optional<std::string> registerLoginItem() override;
    std::optional<std::string> unregisterLoginItem() override;
    std::unique_ptr<UpdaterController> createUpdaterController(bool startingUpdater) override;

    // --- Control interface
    void setInstalledSounds(std::set<std::string> names) { installedSounds_ = std::move(names); }
    // The sounds played, in order.
    const std::vector<std::string>& playedSounds() const { return playedSounds_; }
    const std::vector<UserNotification>& notifications() const { return notifications_; }

    // The user answers the oldest open notification prompt; false when none is open.
    bool answerNotificationAuthorization(bool granted, const std::optional<std::string>& error);
    std::size_t openAuthorizationRequestCount() const { return authorizationHandlers_.size(); }

    // The description every login-item change fails with from now on; absent: success.
    void setLoginItemError(std::optional<std::string> error) { loginItemError_ = std::move(error); }
    bool isLoginItemRegistered() const { return loginItemRegistered_; }
    // true for each registration asked, false for each removal.
    const std::vector<bool>& loginItemRequests() const { return loginItemRequests_; }

    SimulatedUpdaterController& updater() { return updater_; }
    // The starting flag of each controller created, in order.
    const std::vector<bool>& createdUpdaterControllers() const { return createdUpdaters_; }

  private:
    std::optional<std::string> changeLoginItem(bool registered);

    std::set<std::string> installedSounds_;
    std::vector<std::string> playedSounds_;
    std::vector<UserNotification> notifications_;
    std::vector<AuthorizationHandler> authorizationHandlers_;
    std::optional<std::string> loginItemError_;
    bool loginItemRegistered_ = false;
    std::vector<bool> loginItemRequests_;
    SimulatedUpdaterController updater_;
    std::vector<bool> createdUpdaters_;
};

}  // namespace plovik
