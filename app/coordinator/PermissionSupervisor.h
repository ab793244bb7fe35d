#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "app/coordinator/CoordinatorState.h"
#include "core/capture/KeyboardEventMonitor.h"
#include "core/layouts/InputSourceService.h"
#include "core/monitors/PermissionService.h"
#include "core/platform/MainQueue.h"

namespace plovik {

// Keeps the keyboard monitor running exactly while both permissions are granted: reads
// them on request and on a poll, publishes them and the monitor's start error.
class PermissionSupervisor {
  public:
    static constexpr std::chrono::milliseconds kPollInterval{2000};

    PermissionSupervisor(PermissionService& permissions, InputSourceService& inputSources,
                         MainQueue& mainQueue, std::shared_ptr<KeyboardEventMonitor> monitor,
                         CoordinatorState& state);
    ~PermissionSupervisor();
    PermissionSupervisor(const PermissionSupervisor&) = delete;
    PermissionSupervisor& operator=(const PermissionSupervisor&) = delete;

    void refresh();
    // `poll` runs every kPollInterval until the supervisor goes.
    void schedulePoll(std::function<void()> poll);

  private:
    void publishError(std::optional<std::string> error);

    PermissionService& permissions_;
    InputSourceService& inputSources_;
    MainQueue& mainQueue_;
    std::shared_ptr<KeyboardEventMonitor> monitor_;
    CoordinatorState& state_;
    std::unique_ptr<RepeatingTimer> pollTimer_;
};

}  // namespace plovik
