#pragma once

#include <map>
#include <memory>

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

  private:
    struct Observers {
        std::map<int, ActiveApplication::ActivationObserver> entries;
        int nextId = 0;
    };

    std::shared_ptr<Observers> observers_ = std::make_shared<Observers>();
};

}  // namespace plovik
