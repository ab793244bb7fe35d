#include "app/coordinator/AppCoordinator.h"

#include <set>
#include <utility>

#include "core/decision/EngineFactory.h"
#include "core/layouts/SystemKeyboardLayoutTranslator.h"

namespace plovik {

// --- Construction and lifecycle

std::shared_ptr<AppCoordinator> AppCoordinator::create(SettingsStore& settingsStore,
                                                       const CoordinatorEnvironment& environment) {
    std::shared_ptr<AppCoordinator> coordinator(new AppCoordinator(settingsStore, environment));
    coordinator->subscribe();
    coordinator->permissions_ = std::make_unique<PermissionSupervisor>(
        *coordinator->permissionService_, *coordinator->inputSourceService_, environment.mainQueue,
        coordinator->makeKeyboardMonitor(), coordinator->state_);
    coordinator->refreshPermissions();
    std::weak_ptr<AppCoordinator> weak = coordinator;
    coordinator->permissions_->schedulePoll([weak] {
        if (auto self = weak.lock()) {
            self->refreshPermissions();
        }
    });
    return coordinator;
}

AppCoordinator::AppCoordinator(SettingsStore& settingsStore,
                               const CoordinatorEnvironment& environment)
    : environment_(environment),
      settingsStore_(settingsStore),
      installedApplicationService_(std::make_unique<InstalledApplicationService>(
          environment.applicationCatalog,
          text::LocalizedComparison(text::LocalizedComparison::userLocaleName()))),
      shortcutConflictDetector_(environment.shortcutProbe),
      focusedElementService_(std::make_unique<FocusedElementService>(environment.accessibility,
                                                                     environment.workspace)),
      tokenBuffer_(kMaximumContextLength),
      phrase_(tokenBuffer_),
      historyStore_(std::make_unique<FileCorrectionHistoryStore>(
          environment.applicationSupportDirectory, EngineFactory::kHistoryRecordCap,
          environment.clock)),
      activeApplicationMonitor_(std::make_unique<ActiveApplicationMonitor>(environment.workspace)),
      inputSourceService_(std::make_unique<InputSourceService>(
          environment.inputSources, SystemKeyboardLayoutTranslator(environment.inputSources))),
      permissionService_(std::make_unique<PermissionService>(
          environment.accessibility, environment.inputMonitoring, environment.workspace)),
      syntheticKeyboard_(std::make_unique<SyntheticKeyboardService>(environment.eventPoster)),
      replacementService_(std::make_unique<TextReplacementService>(
          *focusedElementService_, *syntheticKeyboard_, reentrancyGuard_, environment.tapFactory,
          environment.keyboardHolder)),
      selectionConverter_(std::make_unique<SelectionConverterService>(
          *focusedElementService_, *syntheticKeyboard_, reentrancyGuard_, environment.tapFactory)),
      engines_(settingsStore, *historyStore_, environment.spellChecker, environment.mainQueue),
      gate_(settingsStore, environment.clock, *activeApplicationMonitor_, *focusedElementService_),
      feedback_(CorrectionFeedback::create(settingsStore, environment.systemServices,
                                           environment.mainQueue, state_)),
      undo_(gate_, *replacementService_, *selectionConverter_, *historyStore_, tokenBuffer_,
            *inputSourceService_, state_),
      flow_(std::make_shared<CorrectionFlow>(CorrectionFlow::Collaborators{
          gate_, environment.mainQueue, environment.clock, *inputSourceService_,
          *focusedElementService_, tokenBuffer_, phrase_, engines_, *replacementService_,
          *syntheticKeyboard_, environment.keyboardHolder, *historyStore_, undo_, *feedback_,
          state_})),
      conversion_(SelectionConversionFlow::Collaborators{
          gate_, environment.clock, *inputSourceService_, environment.inputSources,
          *selectionConverter_, *replacementService_, tokenBuffer_, phrase_, undo_, *feedback_,
          state_}),
      storageProblems_(settingsStore, *historyStore_, state_) {}

AppCoordinator::~AppCoordinator() {
    // The monitor goes first, so that no key reaches the flow while it lets withheld
    // Returns through.
    permissions_.reset();
    flow_.reset();
}

void AppCoordinator::subscribe() {
    std::weak_ptr<AppCoordinator> weak = weak_from_this();
    auto skipsFirst = std::make_shared<bool>(true);
    cancellables_.push_back(activeApplicationMonitor_->bundleIdentifier().subscribe(
        [weak, skipsFirst](const std::optional<std::string>&) {
            if (std::exchange(*skipsFirst, false)) {
                return;
            }
            if (auto self = weak.lock()) {
                self->tokenBuffer_.reset();
            }
        }));
    auto lastSourceId = std::make_shared<std::optional<std::string>>();
    cancellables_.push_back(inputSourceService_->subscribeCurrentSource(
        [weak, lastSourceId](const std::optional<InputSourceDescriptor>& source) {
            if (!source || *lastSourceId == source->id) {
                return;
            }
            const bool isFirst = !lastSourceId->has_value();
            *lastSourceId = source->id;
            if (auto self = weak.lock(); self && !isFirst) {
                self->tokenBuffer_.reset();
            }
        }));
    // A word begun under a layout that has since gone would be read back through it.
    auto layoutIds = std::make_shared<std::optional<std::set<std::string>>>();
    cancellables_.push_back(inputSourceService_->subscribeAvailableSources(
        [weak, layoutIds](const std::vector<InputSourceDescriptor>& sources) {
            std::set<std::string> ids;
            for (const auto& source : sources) {
                ids.insert(source.id);
            }
            const bool changed = layoutIds->has_value() && **layoutIds != ids;
            *layoutIds = std::move(ids);
            if (auto self = weak.lock(); self && changed) {
                self->tokenBuffer_.reset();
            }
        }));
}

std::shared_ptr<KeyboardEventMonitor> AppCoordinator::makeKeyboardMonitor() {
    std::weak_ptr<AppCoordinator> weak = weak_from_this();
    auto monitor =
        KeyboardEventMonitor::create(environment_.tapFactory, environment_.mainQueue, [weak] {
            // Asked inside the tap for every key: no copy of the settings.
            const auto self = weak.lock();
            const AppSettings defaults;
            const AppSettings& settings = self ? self->settingsStore_.settings() : defaults;
            return KeyboardEventMonitor::Shortcuts{settings.manualShortcut, settings.undoShortcut,
                                                   settings.pauseShortcut,
                                                   settings.convertShortcut};
        });
    std::weak_ptr<CorrectionFlow> flow = flow_;
    // Runs the flow's handler while the flow exists.
    const auto onFlow = [flow](auto handler) {
        return [flow, handler](auto&&... arguments) {
            if (auto self = flow.lock()) {
                ((*self).*handler)(arguments...);
            }
        };
    };
    const auto askFlow = [flow](bool (CorrectionFlow::*predicate)()) {
        return [flow, predicate] {
            const auto self = flow.lock();
            return self && ((*self).*predicate)();
        };
    };
    monitor->onStroke = onFlow(&CorrectionFlow::handleStroke);
    monitor->onDeleteBackward = onFlow(&CorrectionFlow::handleDeleteBackward);
    monitor->onHeldKey = onFlow(&CorrectionFlow::handleHeldKey);
    monitor->onManualCorrection = onFlow(&CorrectionFlow::performManualCorrection);
    monitor->onDeferredReturn = onFlow(&CorrectionFlow::handleDeferredReturn);
    monitor->shouldHandleManualCorrection = askFlow(&CorrectionFlow::canPerformManualCorrection);
    monitor->shouldDeferReturn = askFlow(&CorrectionFlow::canDeferReturn);
    monitor->onUndo = [weak](KeyPressNumber press) {
        if (auto self = weak.lock()) {
            self->undo_.undo(press);
        }
    };
    monitor->onPauseToggle = [weak](KeyPressNumber) {
        if (auto self = weak.lock()) {
            self->togglePause();
        }
    };
    monitor->shouldHandleUndo = [weak] {
        const auto self = weak.lock();
        return self && self->canUndoLastCorrection();
    };
    monitor->onConvertSelection = [weak](KeyPressNumber press) {
        if (auto self = weak.lock()) {
            self->convertAfterCorrections(press);
        }
    };
    monitor->shouldHandleConversion = [weak] {
        const auto self = weak.lock();
        return self && self->conversion_.canConvert();
    };
    return monitor;
}

void AppCoordinator::refreshPermissions() {
    permissions_->refresh();
    // The history is written on a thread of its own: its problems are looked for on the poll.
    storageProblems_.refresh();
    notifyChanged();
}

void AppCoordinator::completeOnboarding(const std::vector<EnabledApplication>& applications) {
    for (const auto& application : applications) {
        settingsStore_.addApplication(application);
    }
    settingsStore_.update([](AppSettings& settings) { settings.hasCompletedOnboarding = true; });
    refreshPermissions();
}

Subscription AppCoordinator::observeChanges(std::function<void()> observer) {
    auto skipsFirst = std::make_shared<bool>(true);
    return changes_.subscribe([observer = std::move(observer), skipsFirst](const std::uint64_t&) {
        if (!std::exchange(*skipsFirst, false)) {
            observer();
        }
    });
}

void AppCoordinator::notifyChanged() {
    changes_ = changes_.get() + 1;
}

bool AppCoordinator::isPaused() const {
    return gate_.isPaused();
}

bool AppCoordinator::isActive() const {
    return state_.permissionSnapshot->isReady() && settingsStore_.settings().monitoringEnabled &&
           !isPaused() && !state_.monitoringError.get();
}

// --- Undo, pause and feedback

bool AppCoordinator::canUndoLastCorrection() const {
    return undo_.canUndo();
}

void AppCoordinator::undoLastCorrection() {
    undo_.undo(environment_.tapFactory.latestPress());
}

void AppCoordinator::convertSelection() {
    convertAfterCorrections(environment_.tapFactory.latestPress());
}

// A correction still waiting would find its word converted and be refused; once the user
// has typed on, the conversion is refused anyway, so it waits no longer.
void AppCoordinator::convertAfterCorrections(KeyPressNumber press) {
    if (flow_->pendingAutomaticCorrectionCount() > 0 &&
        !environment_.tapFactory.hasPressGoneOnSince(press)) {
        std::weak_ptr<AppCoordinator> weak = weak_from_this();
        environment_.mainQueue.postAfter(kAutomaticCorrectionDelay, [weak, press] {
            if (auto self = weak.lock()) {
                self->convertAfterCorrections(press);
            }
        });
        return;
    }
    conversion_.convert(press);
}

void AppCoordinator::togglePause() {
    if (isPaused()) {
        settingsStore_.update([](AppSettings& settings) { settings.pauseUntil.reset(); });
    } else {
        const TimePoint until = environment_.clock.now() + kPauseDuration;
        settingsStore_.update([until](AppSettings& settings) { settings.pauseUntil = until; });
        tokenBuffer_.reset();
    }
    notifyChanged();
}

void AppCoordinator::playCorrectionSound() {
    feedback_->playCorrectionSound();
}

void AppCoordinator::setLaunchAtLogin(bool launchAtLogin) {
    feedback_->setLaunchAtLogin(launchAtLogin);
}

void AppCoordinator::requestNotificationAuthorization() {
    feedback_->requestNotificationAuthorization();
}

void AppCoordinator::clearLearningData() {
    historyStore_->clear();
    undo_.forget();
    state_.lastCorrection = std::nullopt;
    state_.statusMessage = std::string(kLearningDataClearedMessage);
}

}  // namespace plovik
