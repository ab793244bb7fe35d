#include "app/coordinator/StorageProblems.h"

namespace plovik {

StorageProblems::StorageProblems(SettingsStore& settings, const FileCorrectionHistoryStore& history,
                                 CoordinatorState& state)
    : history_(history), state_(state), historyProblem_(history.saveProblem()) {
    settingsSubscription_ =
        settings.subscribeProblems([this](const std::vector<std::string>& problems) {
            settingsProblems_ = problems;
            publish();
        });
}

void StorageProblems::refresh() {
    auto problem = history_.saveProblem();
    if (problem != historyProblem_) {
        historyProblem_ = std::move(problem);
        publish();
    }
}

void StorageProblems::publish() {
    std::vector<std::string> lines = settingsProblems_;
    if (historyProblem_) {
        lines.push_back(*historyProblem_);
    }
    if (lines != state_.storageProblems.get()) {
        state_.storageProblems = std::move(lines);
    }
}

}  // namespace plovik
