#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/coordinator/CoordinatorState.h"
#include "core/history/FileCorrectionHistoryStore.h"
#include "core/settings/SettingsStore.h"

namespace plovik {

// Publishes what keeps the settings or the learning history from being read or saved, one
// line each, as soon as the settings store reports it or the next refresh finds it in the
// history store (whose writes happen on a thread of its own).
class StorageProblems {
  public:
    StorageProblems(SettingsStore& settings, const FileCorrectionHistoryStore& history,
                    CoordinatorState& state);
    StorageProblems(const StorageProblems&) = delete;
    StorageProblems& operator=(const StorageProblems&) = delete;

    void refresh();

  private:
    void publish();

    const FileCorrectionHistoryStore& history_;
    CoordinatorState& state_;
    std::vector<std::string> settingsProblems_;
    std::optional<std::string> historyProblem_;
    Subscription settingsSubscription_;
};

}  // namespace plovik
