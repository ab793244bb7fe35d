#include "app/ui/CoordinatorBridge.h"

#include <QMetaObject>

namespace plovik::ui {

CoordinatorBridge::CoordinatorBridge(UiContext& context, QObject* parent) : QObject(parent) {
    auto& coordinator = context.coordinator;
    auto& sources = coordinator.inputSourceService();
    const auto any = [this](const auto&) { schedule(); };
    subscriptions_.push_back(context.settingsStore.subscribe(any));
    subscriptions_.push_back(coordinator.permissionSnapshot().subscribe(any));
    subscriptions_.push_back(coordinator.lastCorrection().subscribe(any));
    subscriptions_.push_back(coordinator.statusMessage().subscribe(any));
    subscriptions_.push_back(coordinator.monitoringError().subscribe(any));
    subscriptions_.push_back(coordinator.storageProblems().subscribe(any));
    subscriptions_.push_back(coordinator.canCheckForUpdates().subscribe(any));
    subscriptions_.push_back(coordinator.observeChanges([this] { schedule(); }));
    subscriptions_.push_back(sources.subscribeAvailableSources(any));
    subscriptions_.push_back(sources.subscribeCurrentSource(any));
    subscriptions_.push_back(sources.subscribeLastError(any));
    scheduled_ = false;
}

void CoordinatorBridge::schedule() {
    if (std::exchange(scheduled_, true)) {
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            scheduled_ = false;
            emit changed();
        },
        Qt::QueuedConnection);
}

}  // namespace plovik::ui
