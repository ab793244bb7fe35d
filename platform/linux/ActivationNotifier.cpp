#include "platform/linux/ActivationNotifier.h"

namespace plovik {

// An observer may destroy the notifier in the middle of a notification: the rest then
// hear nothing.
ActivationNotifier::~ActivationNotifier() {
    observers_->entries.clear();
}

Subscription ActivationNotifier::observe(ActiveApplication::ActivationObserver observer) {
    const int id = observers_->nextId++;
    observers_->entries.emplace(id, std::move(observer));
    std::weak_ptr<Observers> weak = observers_;
    return Subscription([weak, id] {
        if (const auto observers = weak.lock()) {
            observers->entries.erase(id);
        }
    });
}

void ActivationNotifier::notify(const ApplicationActivation& activation) const {
    // Held here, so that the entries outlive a notifier destroyed by its observer.
    const std::shared_ptr<Observers> observers = observers_;
    const auto snapshot = observers->entries;
    for (const auto& [id, observer] : snapshot) {
        if (observers->entries.contains(id)) {
            observer(activation);
        }
    }
}

void ActivationNotifier::notifyIfChanged(const std::optional<RunningApplication>& application) {
    if (!application || application == lastActivated_) {
        return;
    }
    lastActivated_ = application;
    notify(ApplicationActivation{application});
}

void ActivationNotifier::startFrom(std::optional<RunningApplication> application) {
    lastActivated_ = std::move(application);
}

}  // namespace plovik
