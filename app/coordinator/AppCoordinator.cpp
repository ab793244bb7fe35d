#include "app/coordinator/AppCoordinator.h"

#include <cmath>
#include <utility>

#include "core/decision/ConfidenceScorer.h"
#include "core/decision/ExtendedCorrectionEngine.h"
#include "core/decision/LanguageDataDirectory.h"
#include "core/decision/OfflineLanguageDetector.h"
#include "core/decision/SafetyClassifier.h"
#include "core/history/CorrectionRecord.h"
#include "core/layouts/EnglishRussianLayoutMapper.h"
#include "core/layouts/SystemKeyboardLayoutTranslator.h"
#include "core/platform/UserNotification.h"
#include "core/replacement/TextReplacementRequest.h"
#include "core/support/ReferenceDate.h"
#include "core/support/Uuid.h"

namespace plovik {

namespace {

std::unique_ptr<CorrectionEngine> makeCorrectionEngine(HistoryScoring& history,
                                                       SpellChecker& spellChecker,
                                                       MainQueue& mainQueue) {
    auto detector = std::make_unique<OfflineLanguageDetector>(spellChecker, mainQueue);
    return std::make_unique<CorrectionEngine>(
        std::make_unique<EnglishRussianLayoutMapper>(),
        SafetyClassifier(AppCoordinator::kSafetyMinimumLength),
        ConfidenceScorer(std::move(detector)), &history);
}

std::unique_ptr<CorrectionDeciding> makeExtendedEngine(HistoryScoring& history,
                                                       SpellChecker& spellChecker,
                                                       MainQueue& mainQueue) {
    const auto directory = LanguageDataDirectory::locate();
    if (!directory) {
        return nullptr;
    }
    auto models = ExtendedCorrectionEngine::loadLanguageModels(*directory);
    if (models.empty()) {
        return nullptr;
    }
    return std::make_unique<ExtendedCorrectionEngine>(
        makeCorrectionEngine(history, spellChecker, mainQueue), std::move(models), &spellChecker);
}

}  // namespace

// --- Construction and lifecycle

std::shared_ptr<AppCoordinator> AppCoordinator::create(SettingsStore& settingsStore,
                                                       const CoordinatorEnvironment& environment) {
    std::shared_ptr<AppCoordinator> coordinator(new AppCoordinator(settingsStore, environment));
    coordinator->subscribe();
    coordinator->refreshPermissions();
    coordinator->schedulePermissionPoll();
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
      updaterController_(environment.systemServices.createUpdaterController(true)),
      historyStore_(std::make_unique<FileCorrectionHistoryStore>(
          environment.applicationSupportDirectory, kMaximumHistoryRecordCount, environment.clock)),
      activeApplicationMonitor_(std::make_unique<ActiveApplicationMonitor>(environment.workspace)),
      inputSourceService_(std::make_unique<InputSourceService>(
          environment.inputSources, SystemKeyboardLayoutTranslator(environment.inputSources))),
      decider_(std::make_unique<CorrectionDecider>(*inputSourceService_)),
      permissionService_(std::make_unique<PermissionService>(
          environment.accessibility, environment.inputMonitoring, environment.workspace)),
      syntheticKeyboard_(std::make_unique<SyntheticKeyboardService>(environment.eventPoster)),
      replacementService_(std::make_unique<TextReplacementService>(
          *focusedElementService_, *syntheticKeyboard_, reentrancyGuard_)),
      correctionEngine_(
          makeCorrectionEngine(*historyStore_, environment.spellChecker, environment.mainQueue)),
      extendedEngine_(
          makeExtendedEngine(*historyStore_, environment.spellChecker, environment.mainQueue)) {}

const CorrectionDeciding& AppCoordinator::automaticCorrectionEngine() const {
    if (extendedEngine_ &&
        settingsStore_.settings().correctionEngine == CorrectionEngineKind::extended) {
        return *extendedEngine_;
    }
    return *correctionEngine_;
}

AppCoordinator::~AppCoordinator() {
    if (permissionTimer_) {
        permissionTimer_->invalidate();
    }
    keyboardMonitor_.reset();
    // A withheld Return is the user's key press: it must not vanish with the coordinator.
    for (const auto& press : std::exchange(deferredReturnEvents_, {})) {
        postReturn(press);
    }
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
    const auto mirror = [&](Published<bool>& source, Published<bool> AppCoordinator::*target) {
        cancellables_.push_back(source.subscribe([weak, target](const bool& value) {
            if (auto self = weak.lock()) {
                (self.get()->*target) = value;
            }
        }));
    };
    mirror(updaterController_->canCheckForUpdates(), &AppCoordinator::canCheckForUpdates_);
    mirror(updaterController_->automaticallyChecksForUpdates(),
           &AppCoordinator::automaticallyChecksForUpdates_);
    mirror(updaterController_->automaticallyDownloadsUpdates(),
           &AppCoordinator::automaticallyDownloadsUpdates_);
    mirror(updaterController_->allowsAutomaticUpdates(), &AppCoordinator::allowsAutomaticUpdates_);
}

void AppCoordinator::schedulePermissionPoll() {
    std::weak_ptr<AppCoordinator> weak = weak_from_this();
    permissionTimer_ = environment_.mainQueue.scheduleRepeating(kPermissionPollInterval, [weak] {
        if (auto self = weak.lock()) {
            self->refreshPermissions();
        }
    });
}

KeyboardEventMonitor& AppCoordinator::monitor() {
    if (!keyboardMonitor_) {
        std::weak_ptr<AppCoordinator> weak = weak_from_this();
        keyboardMonitor_ =
            KeyboardEventMonitor::create(environment_.tapFactory, environment_.mainQueue, [weak] {
                // Asked inside the tap for every key: no copy of the settings.
                const auto self = weak.lock();
                const AppSettings defaults;
                const AppSettings& settings = self ? self->settingsStore_.settings() : defaults;
                return KeyboardEventMonitor::Shortcuts{
                    settings.manualShortcut, settings.undoShortcut, settings.pauseShortcut};
            });
        installMonitorCallbacks(*keyboardMonitor_);
    }
    return *keyboardMonitor_;
}

void AppCoordinator::installMonitorCallbacks(KeyboardEventMonitor& monitor) {
    std::weak_ptr<AppCoordinator> weak = weak_from_this();
    // Runs the handler on the coordinator while it exists.
    const auto weakly = [weak](auto handler) {
        return [weak, handler](auto&&... arguments) {
            if (auto self = weak.lock()) {
                ((*self).*handler)(arguments...);
            }
        };
    };
    const auto weakPredicate = [weak](bool (AppCoordinator::*predicate)()) {
        return [weak, predicate] {
            const auto self = weak.lock();
            return self && ((*self).*predicate)();
        };
    };
    monitor.onStroke = weakly(&AppCoordinator::handleStroke);
    monitor.onDeleteBackward = weakly(&AppCoordinator::handleDeleteBackward);
    monitor.onManualCorrection = weakly(&AppCoordinator::performManualCorrection);
    monitor.onUndo = weakly(&AppCoordinator::undoLastCorrection);
    monitor.onPauseToggle = weakly(&AppCoordinator::togglePause);
    monitor.onDeferredReturn = weakly(&AppCoordinator::handleDeferredReturn);
    monitor.shouldHandleManualCorrection =
        weakPredicate(&AppCoordinator::canPerformManualCorrection);
    monitor.shouldHandleUndo = [weak] {
        const auto self = weak.lock();
        return self && self->canUndoLastCorrection();
    };
    monitor.shouldDeferReturn = weakPredicate(&AppCoordinator::canDeferReturn);
}

void AppCoordinator::refreshPermissions() {
    const PermissionSnapshot snapshot = permissionService_->snapshot();
    if (snapshot != permissionSnapshot_.get()) {
        permissionSnapshot_ = snapshot;
    }
    inputSourceService_->refresh();
    KeyboardEventMonitor& keyboard = monitor();
    if (snapshot.isReady()) {
        try {
            keyboard.start();
            if (monitoringError_.get()) {
                monitoringError_ = std::nullopt;
            }
        } catch (const KeyboardEventMonitor::StartError& error) {
            monitoringError_ = error.description();
        }
    } else {
        keyboard.stop();
        if (monitoringError_.get()) {
            monitoringError_ = std::nullopt;
        }
    }
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
    const auto& pauseUntil = settingsStore_.settings().pauseUntil;
    return pauseUntil && *pauseUntil > environment_.clock.now();
}

bool AppCoordinator::isActive() const {
    return permissionSnapshot_->isReady() && settingsStore_.settings().monitoringEnabled &&
           !isPaused() && !monitoringError_.get();
}

// --- Shared checks

ApplicationPolicy AppCoordinator::policy() const {
    return ApplicationPolicy(settingsStore_.settings(), environment_.clock);
}

const std::optional<std::string>& AppCoordinator::frontmostApplication() const {
    return activeApplicationMonitor_->currentBundleIdentifier();
}

std::optional<FocusedElementContext> AppCoordinator::usableField() {
    auto context = focusedElementService_->focusedElement();
    if (!context || !context->canProcessText()) {
        return std::nullopt;
    }
    return context;
}

bool AppCoordinator::acceptsAutomaticCorrection(const std::optional<std::string>& application) {
    return application && settingsStore_.settings().monitoringEnabled && !isPaused() &&
           policy().allowsAutomaticCorrection(application) && usableField();
}

// --- Correction flow

void AppCoordinator::handleStroke(const std::string& characters, const PhysicalKeyStroke& stroke) {
    inputSourceService_->synchronizeCurrentSource();
    const auto application = frontmostApplication();
    const ApplicationPolicy currentPolicy = policy();
    std::optional<FocusedElementContext> field;
    if (!application || !currentPolicy.application(application) ||
        !settingsStore_.settings().monitoringEnabled || isPaused() || !(field = usableField())) {
        tokenBuffer_.reset();
        return;
    }
    std::string text = characters;
    if (text.empty()) {
        text = inputSourceService_->text(stroke).value_or("");
    }
    tokenBuffer_.setWordBoundary(automaticCorrectionEngine().judgesWholeRuns()
                                     ? CurrentTokenBuffer::WordBoundary::whitespace
                                     : CurrentTokenBuffer::WordBoundary::whitespaceOrPunctuation);
    tokenBuffer_.synchronizeBeforeConsuming(
        text, focusedElementService_->visibleTextSinceWhitespaceBeforeCaret(*field));
    const auto completions = tokenBuffer_.consume(text, stroke);
    if (!currentPolicy.allowsAutomaticCorrection(application)) {
        return;
    }
    for (const auto& completion : completions) {
        scheduleAutomaticCorrection(completion, *application);
    }
}

void AppCoordinator::scheduleAutomaticCorrection(const TokenCompletion& completion,
                                                 const std::string& application) {
    ++pendingAutomaticCorrectionCount_;
    std::weak_ptr<AppCoordinator> weak = weak_from_this();
    environment_.mainQueue.postAfter(kAutomaticCorrectionDelay, [weak, completion, application] {
        if (auto self = weak.lock()) {
            self->runAutomaticCorrection(completion, application);
        }
    });
}

void AppCoordinator::runAutomaticCorrection(const TokenCompletion& completion,
                                            const std::string& application) {
    const ApplicationPolicy currentPolicy = policy();
    if (frontmostApplication() == application &&
        currentPolicy.allowsAutomaticCorrection(application) && usableField()) {
        inputSourceService_->refresh();
        const double threshold = currentPolicy.threshold(application);
        if (const auto decision = decider_->automaticDecision(automaticCorrectionEngine(),
                                                              completion, application, threshold)) {
            applyCorrection(*decision, completion, application, std::nullopt, true);
        }
    }
    finishAutomaticCorrection();
}

void AppCoordinator::finishAutomaticCorrection() {
    pendingAutomaticCorrectionCount_ = std::max(pendingAutomaticCorrectionCount_ - 1, 0);
    if (pendingAutomaticCorrectionCount_ > 0) {
        return;
    }
    for (const auto& press : std::exchange(deferredReturnEvents_, {})) {
        postReturn(press);
    }
}

void AppCoordinator::postReturn(const DeferredReturn& press) {
    syntheticKeyboard_->postKeyStroke(press.key, press.modifiers);
}

bool AppCoordinator::canDeferReturn() {
    const bool hasWork =
        !tokenBuffer_.currentToken().empty() || pendingAutomaticCorrectionCount_ >= 1;
    return hasWork && acceptsAutomaticCorrection(frontmostApplication());
}

void AppCoordinator::handleDeferredReturn(Key key, Modifiers modifiers) {
    inputSourceService_->synchronizeCurrentSource();
    const DeferredReturn press{key, modifiers};
    const auto application = frontmostApplication();
    if (!acceptsAutomaticCorrection(application)) {
        tokenBuffer_.reset();
        postReturn(press);
        return;
    }
    const auto completions = tokenBuffer_.consume("\n", std::nullopt);
    if (!completions.empty()) {
        inputSourceService_->refresh();
        const double threshold = policy().threshold(*application);
        if (const auto decision = decider_->automaticDecision(
                automaticCorrectionEngine(), completions.front(), *application, threshold)) {
            // The Return has not reached the field yet: no delimiter is expected or written.
            applyCorrection(*decision, completions.front(), *application, std::string(), false);
        }
    }
    if (pendingAutomaticCorrectionCount_ >= 1) {
        deferredReturnEvents_.push_back(press);
    } else {
        postReturn(press);
    }
}

void AppCoordinator::handleDeleteBackward() {
    if (policy().application(frontmostApplication())) {
        tokenBuffer_.deleteBackward();
    } else {
        tokenBuffer_.reset();
    }
}

bool AppCoordinator::canPerformManualCorrection() {
    return policy().allowsManualCorrection(frontmostApplication()) && usableField();
}

void AppCoordinator::performManualCorrection() {
    const auto application = frontmostApplication();
    if (!application || !policy().allowsManualCorrection(application) || !usableField()) {
        return;
    }
    const auto candidate = tokenBuffer_.candidateForManualCorrection();
    if (!candidate) {
        return;
    }
    inputSourceService_->refresh();
    if (const auto decision =
            decider_->manualDecision(automaticCorrectionEngine(), *candidate, *application)) {
        applyCorrection(*decision, *candidate, *application, std::nullopt, true);
    }
}

void AppCoordinator::applyCorrection(const CorrectionDecision& decision,
                                     const TokenCompletion& completion,
                                     const std::string& application,
                                     const std::optional<std::string>& delimiterOverride,
                                     bool isUndoable) {
    const std::string correctedDelimiter =
        correctionEngine_->convertedDelimiter(completion.delimiter, decision);
    const TextReplacementRequest request(decision.original, decision.corrected,
                                         delimiterOverride.value_or(completion.delimiter),
                                         delimiterOverride.value_or(correctedDelimiter));
    const TextReplacementResult result = replacementService_->replace(request);
    if (!result.succeeded) {
        appendRecord(decision, application, CorrectionOutcome::rejected);
        statusMessage_ = result.errorMessage;
        return;
    }
    const Uuid recordID = appendRecord(decision, application, CorrectionOutcome::accepted);
    LastCorrection correction(recordID, decision.original, decision.corrected, correctedDelimiter,
                              completion.delimiter, application, decision.sourceLayout,
                              decision.targetLayout, environment_.clock.now());
    undoState_.setLastCorrection(isUndoable ? std::optional<LastCorrection>(correction)
                                            : std::optional<LastCorrection>());
    lastCorrection_ = std::move(correction);
    lastReplacementMethod_ = result.method;
    tokenBuffer_.noteReplacement(decision.original, decision.corrected, completion.delimiter,
                                 correctedDelimiter);
    decider_->noteApplied(decision, !tokenBuffer_.currentToken().empty());
    std::optional<InputSourceError> switchError;
    const auto entry = policy().application(application);
    if (entry && entry->switchInputSourceAfterCorrection) {
        switchError = inputSourceService_->switchTo(decision.targetLayout);
    }
    announceCorrection(decision);
    // The summary would hide a failed switch; the failure is what the user must see.
    if (switchError) {
        statusMessage_ = switchError->description();
    }
}

Uuid AppCoordinator::appendRecord(const CorrectionDecision& decision,
                                  const std::string& application, CorrectionOutcome outcome) {
    const CorrectionRecord record{
        Uuid::random(),
        decision.original,
        decision.corrected,
        application,
        outcome,
        ReferenceDate::secondsSinceReferenceDate(environment_.clock.now())};
    historyStore_->append(record);
    return record.id;
}

// --- Undo, pause and feedback

bool AppCoordinator::canUndoLastCorrection() const {
    const auto& application = frontmostApplication();
    return application && undoState_.requestForUndo(*application).has_value();
}

void AppCoordinator::undoLastCorrection() {
    const auto application = frontmostApplication();
    if (!application) {
        return;
    }
    const auto request = undoState_.requestForUndo(*application);
    if (!request || !usableField()) {
        return;
    }
    const TextReplacementResult result = replacementService_->replace(*request);
    const auto correction = result.succeeded ? undoState_.consumeUndo(*application) : std::nullopt;
    if (!correction) {
        statusMessage_ = result.errorMessage.value_or(kUndoFailedMessage);
        return;
    }
    historyStore_->markOutcome(correction->recordID, CorrectionOutcome::undone);
    tokenBuffer_.noteReplacement(correction->corrected, correction->original, correction->delimiter,
                                 correction->originalDelimiter);
    (void)inputSourceService_->switchTo(correction->sourceLayout);
    lastCorrection_ = std::nullopt;
    lastReplacementMethod_ = result.method;
    statusMessage_ = "Restored “" + correction->original + "”.";
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

std::string AppCoordinator::correctionSummary(const CorrectionDecision& decision) {
    const double confidence = std::isfinite(decision.confidence) ? decision.confidence : 0.0;
    const auto percent = static_cast<long long>(std::trunc(confidence * 100.0));
    return decision.original + " → " + decision.corrected + " (" + std::to_string(percent) + "%)";
}

std::string AppCoordinator::soundName(const std::optional<CorrectionSound>& sound) {
    return std::string(rawValue(sound.value_or(CorrectionSound::pop)));
}

void AppCoordinator::announceCorrection(const CorrectionDecision& decision) {
    playCorrectionSound();
    if (settingsStore_.settings().showCorrectionNotification) {
        environment_.systemServices.postNotification(
            {Uuid::random().uppercaseString(), kNotificationTitle,
             decision.original + " → " + decision.corrected});
    }
    statusMessage_ = correctionSummary(decision);
}

void AppCoordinator::playCorrectionSound() {
    const AppSettings& settings = settingsStore_.settings();
    if (settings.playCorrectionSound) {
        // A missing sound is not worth a word to the user.
        (void)environment_.systemServices.playSound(soundName(settings.correctionSound));
    }
}

void AppCoordinator::setLaunchAtLogin(bool launchAtLogin) {
    auto& services = environment_.systemServices;
    const auto error =
        launchAtLogin ? services.registerLoginItem() : services.unregisterLoginItem();
    if (error) {
        statusMessage_ = kLaunchAtLoginFailedPrefix + *error;
        return;
    }
    settingsStore_.update(
        [launchAtLogin](AppSettings& settings) { settings.launchAtLogin = launchAtLogin; });
    statusMessage_ = std::nullopt;
}

void AppCoordinator::requestNotificationAuthorization() {
    std::weak_ptr<AppCoordinator> weak = weak_from_this();
    MainQueue& mainQueue = environment_.mainQueue;
    environment_.systemServices.requestNotificationAuthorization(
        [weak, &mainQueue](bool granted, const std::optional<std::string>& error) {
            mainQueue.post([weak, granted, error] {
                if (auto self = weak.lock()) {
                    self->handleNotificationAuthorization(granted, error);
                }
            });
        });
}

void AppCoordinator::handleNotificationAuthorization(bool granted,
                                                     const std::optional<std::string>& error) {
    if (granted) {
        return;
    }
    settingsStore_.update(
        [](AppSettings& settings) { settings.showCorrectionNotification = false; });
    statusMessage_ = error.value_or(kNotificationRefusedMessage);
}

void AppCoordinator::clearLearningData() {
    historyStore_->clear();
    undoState_.clear();
    lastCorrection_ = std::nullopt;
    statusMessage_ = std::string(kLearningDataClearedMessage);
}

}  // namespace plovik
