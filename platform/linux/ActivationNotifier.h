#pragma once

#include <map>
#include <memory>
#include <optional>

#include "core/platform/ActiveApplication.h"
#include "core/support/Published.h"

namespace plovik {

// The observers of one backend's activations, and their notification. Observers may
// subscribe or cancel while being notified, even destroy the backend that notifies them;
// a subscription may outlive the notifier.
class ActivationNotifier {
  public:
    ActivationNotifier() = default;
    ~ActivationNotifier();
    ActivationNotifier(const ActivationNotifier&) = delete;
    ActivationNotifier& operator=(const ActivationNotifier&) = delete;

    [[nodiscard]] Subscription observe(ActiveApplication::ActivationObserver observer);
    // Observers that subscribe meanwhile wait for the next activation; those cancelled
    // meanwhile hear nothing more.
    void notify(const ApplicationActivation& activation) const;
    // Notifies when `application` is not the one notified last: another window of the same
    // application is no activation, and neither is no application at all.
    void notifyIfChanged(const std::optional<RunningApplication>& application);
    // The application in front when the backend starts, which is thus no activation.
    void startFrom(std::optional<RunningApplication> application);

  private:
    struct Observers {
        std::map<int, ActiveApplication::ActivationObserver> entries;
        int nextId = 0;
    };

    std::shared_ptr<Observers> observers_ = std::make_shared<Observers>();
    std::optional<RunningApplication> lastActivated_;
};

}  // namespace plovik
