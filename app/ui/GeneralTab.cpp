#include "app/ui/GeneralTab.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QStringList>
#include <cmath>

#include "app/ui/FormParts.h"
#include "core/settings/CorrectionEngineKind.h"
#include "core/settings/CorrectionSound.h"

namespace plovik::ui {

namespace {

constexpr int kSliderMinimum = 50;
constexpr int kSliderMaximum = 100;

int sliderPosition(double threshold) {
    return std::clamp(static_cast<int>(std::lround(threshold * 100.0)), kSliderMinimum,
                      kSliderMaximum);
}

}  // namespace

GeneralTab::GeneralTab(UiContext& context, MonitoringCommands& commands, QWidget* parent)
    : QWidget(parent), context_(context), commands_(commands) {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setSpacing(12);
    column->addWidget(monitoringSection());
    column->addWidget(feedbackSection());
    column->addWidget(startupSection());
    column->addWidget(updatesSection());
    QVBoxLayout* statusLayout = nullptr;
    statusSection_ = FormParts::section(QString(), &statusLayout);
    status_ = new QLabel;
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusLayout->addWidget(status_);
    column->addWidget(statusSection_);
    column->addStretch(1);

    FormParts::fillWithScrolled(this, content);
    refresh();
}

QWidget* GeneralTab::monitoringSection() {
    QVBoxLayout* layout = nullptr;
    auto* box = FormParts::section(QStringLiteral("Monitoring"), &layout);
    auto& store = context_.settingsStore;

    enablePlovik_ = new QCheckBox(QStringLiteral("Enable Plovik"));
    connect(enablePlovik_, &QCheckBox::toggled, this, [&store](bool on) {
        store.update([on](AppSettings& settings) { settings.monitoringEnabled = on; });
    });
    automaticCorrection_ = new QCheckBox(QStringLiteral("Enable automatic correction"));
    connect(automaticCorrection_, &QCheckBox::toggled, this, [&store](bool on) {
        store.update([on](AppSettings& settings) { settings.automaticCorrectionEnabled = on; });
    });

    auto* caption = new QHBoxLayout;
    caption->addWidget(new QLabel(QStringLiteral("Default confidence threshold")));
    caption->addStretch(1);
    thresholdValue_ = new QLabel;
    thresholdValue_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    caption->addWidget(thresholdValue_);
    threshold_ = new QSlider(Qt::Horizontal);
    threshold_->setRange(kSliderMinimum, kSliderMaximum);
    threshold_->setSingleStep(1);
    threshold_->setPageStep(5);
    connect(threshold_, &QSlider::valueChanged, this, [this, &store](int position) {
        const double threshold = position / 100.0;
        thresholdValue_->setText(QString::number(threshold, 'f', 2));
        store.update(
            [threshold](AppSettings& settings) { settings.confidenceThreshold = threshold; });
    });

    layout->addWidget(enablePlovik_);
    layout->addWidget(automaticCorrection_);
    layout->addLayout(caption);
    layout->addWidget(threshold_);
    addEngineChoice(layout);
    return box;
}

void GeneralTab::addEngineChoice(QVBoxLayout* layout) {
    auto& store = context_.settingsStore;
    auto* row = new QHBoxLayout;
    auto* caption = new QLabel(QStringLiteral("Correction engine"));
    row->addWidget(caption);
    row->addStretch(1);
    engine_ = new QComboBox;
    engine_->setObjectName(QStringLiteral("correctionEngine"));
    engine_->setAccessibleName(QStringLiteral("Correction engine"));
    caption->setBuddy(engine_);
    // Items follow kAllCorrectionEngineKinds so that an index maps straight to a kind.
    for (const auto kind : kAllCorrectionEngineKinds) {
        engine_->addItem(kind == CorrectionEngineKind::extended
                             ? QStringLiteral("Extended engine (recommended)")
                             : QStringLiteral("Standard engine"));
    }
    connect(engine_, &QComboBox::currentIndexChanged, this, [&store](int index) {
        if (index < 0 || index >= static_cast<int>(kAllCorrectionEngineKinds.size())) {
            return;
        }
        const auto kind = kAllCorrectionEngineKinds[static_cast<std::size_t>(index)];
        store.update([kind](AppSettings& settings) { settings.correctionEngine = kind; });
    });
    row->addWidget(engine_);
    layout->addLayout(row);
    layout->addWidget(FormParts::note(
        QStringLiteral("The extended engine, used unless you choose otherwise, reads whole words, "
                       "punctuation keys included, with word frequencies and letter statistics. "
                       "The standard engine scores letters alone with short word lists."),
        FormParts::TextSize::caption));
}

QWidget* GeneralTab::feedbackSection() {
    QVBoxLayout* layout = nullptr;
    auto* box = FormParts::section(QStringLiteral("Feedback"), &layout);
    auto& store = context_.settingsStore;

    playSound_ = new QCheckBox(QStringLiteral("Play correction sound"));
    connect(playSound_, &QCheckBox::toggled, this, [&store](bool on) {
        store.update([on](AppSettings& settings) { settings.playCorrectionSound = on; });
    });

    auto* soundRow = new QHBoxLayout;
    soundRow->addWidget(new QLabel(QStringLiteral("Correction sound")));
    soundRow->addStretch(1);
    sound_ = new QComboBox;
    for (const auto sound : kAllCorrectionSounds) {
        sound_->addItem(QString::fromUtf8(displayName(sound).data(),
                                          static_cast<int>(displayName(sound).size())));
    }
    connect(sound_, &QComboBox::currentIndexChanged, this, [&store](int index) {
        if (index < 0 || index >= static_cast<int>(kAllCorrectionSounds.size())) {
            return;
        }
        const auto sound = kAllCorrectionSounds[static_cast<std::size_t>(index)];
        store.update([sound](AppSettings& settings) { settings.correctionSound = sound; });
    });
    preview_ = new QToolButton;
    preview_->setAutoRaise(true);
    preview_->setIcon(SymbolIcons::icon(Symbol::speaker, palette().color(QPalette::WindowText)));
    preview_->setToolTip(QStringLiteral("Preview correction sound"));
    preview_->setAccessibleName(QStringLiteral("Preview correction sound"));
    connect(preview_, &QToolButton::clicked, this,
            [this] { context_.coordinator.playCorrectionSound(); });
    soundRow->addWidget(sound_);
    soundRow->addWidget(preview_);

    showNotification_ = new QCheckBox(QStringLiteral("Show correction notification"));
    connect(showNotification_, &QCheckBox::toggled, this,
            [this](bool on) { setNotificationsShown(on); });

    layout->addWidget(playSound_);
    layout->addLayout(soundRow);
    layout->addWidget(showNotification_);
    return box;
}

void GeneralTab::setNotificationsShown(bool shown) {
    context_.settingsStore.update(
        [shown](AppSettings& settings) { settings.showCorrectionNotification = shown; });
    if (shown) {
        context_.coordinator.requestNotificationAuthorization();
    }
}

QWidget* GeneralTab::startupSection() {
    QVBoxLayout* layout = nullptr;
    auto* box = FormParts::section(QStringLiteral("Startup and pause"), &layout);

    launchAtLogin_ = new QCheckBox(QStringLiteral("Launch at login"));
    connect(launchAtLogin_, &QCheckBox::toggled, this, [this](bool on) {
        context_.coordinator.setLaunchAtLogin(on);
        // The coordinator keeps the old value when the change failed.
        refresh();
    });

    auto* buttons = new QHBoxLayout;
    auto* shortPause = new QPushButton(QStringLiteral("Pause 15 Minutes"));
    connect(shortPause, &QPushButton::clicked, this,
            [this] { commands_.pauseFor(MonitoringCommands::kShortPause); });
    auto* longPause = new QPushButton(QStringLiteral("Pause 1 Hour"));
    connect(longPause, &QPushButton::clicked, this,
            [this] { commands_.pauseFor(MonitoringCommands::kLongPause); });
    resume_ = new QPushButton(QStringLiteral("Resume"));
    connect(resume_, &QPushButton::clicked, this, [this] { commands_.resume(); });
    buttons->addWidget(shortPause);
    buttons->addWidget(longPause);
    buttons->addWidget(resume_);
    buttons->addStretch(1);

    layout->addWidget(launchAtLogin_);
    layout->addLayout(buttons);
    return box;
}

QWidget* GeneralTab::updatesSection() {
    QVBoxLayout* layout = nullptr;
    auto* box = FormParts::section(QStringLiteral("Updates"), &layout);
    auto& updater = context_.coordinator.updaterController();

    checkForUpdates_ = new QPushButton(QStringLiteral("Check for Updates…"));
    // A failed launch is reported through the updater's reason, which nothing announces.
    connect(checkForUpdates_, &QPushButton::clicked, this, [this, &updater] {
        updater.checkForUpdates();
        refresh();
    });
    auto* checkRow = new QHBoxLayout;
    checkRow->addWidget(checkForUpdates_);
    checkRow->addStretch(1);

    const auto orUnknown = [](const std::string& text) {
        return text.empty() ? QStringLiteral("Unknown") : QString::fromStdString(text);
    };
    auto* version =
        FormParts::note(QStringLiteral("Version ") + orUnknown(context_.version) +
                            QStringLiteral(" (") + orUnknown(context_.build) + QStringLiteral(")"),
                        FormParts::TextSize::body);

    updatesCaption_ = FormParts::note(QString(), FormParts::TextSize::caption);
    layout->addWidget(updatesCaption_);
    layout->addLayout(checkRow);
    updatesUnavailable_ = FormParts::note(QString(), FormParts::TextSize::caption);
    layout->addWidget(updatesUnavailable_);
    layout->addWidget(version);
    return box;
}

void GeneralTab::refresh() {
    const auto& settings = context_.settingsStore.settings();
    auto& coordinator = context_.coordinator;
    const auto set = [](QCheckBox* box, bool checked) {
        const QSignalBlocker blocker(box);
        box->setChecked(checked);
    };
    set(enablePlovik_, settings.monitoringEnabled);
    set(automaticCorrection_, settings.automaticCorrectionEnabled);
    {
        const QSignalBlocker blocker(threshold_);
        threshold_->setValue(sliderPosition(settings.confidenceThreshold));
    }
    thresholdValue_->setText(QString::number(settings.confidenceThreshold, 'f', 2));
    {
        const QSignalBlocker blocker(engine_);
        for (std::size_t i = 0; i < kAllCorrectionEngineKinds.size(); ++i) {
            if (kAllCorrectionEngineKinds[i] == settings.correctionEngine) {
                engine_->setCurrentIndex(static_cast<int>(i));
            }
        }
    }
    set(playSound_, settings.playCorrectionSound);
    {
        const QSignalBlocker blocker(sound_);
        const auto sound = settings.correctionSound.value_or(CorrectionSound::pop);
        for (std::size_t i = 0; i < kAllCorrectionSounds.size(); ++i) {
            if (kAllCorrectionSounds[i] == sound) {
                sound_->setCurrentIndex(static_cast<int>(i));
            }
        }
    }
    set(showNotification_, settings.showCorrectionNotification);
    set(launchAtLogin_, settings.launchAtLogin);
    resume_->setVisible(coordinator.isPaused());

    const bool canCheck = coordinator.canCheckForUpdates().get();
    checkForUpdates_->setEnabled(canCheck);
    updatesCaption_->setText(
        QString::fromUtf8(canCheck ? kUpdatesCaption : kUpdatesCaptionWithoutUpdater));
    const auto unavailable = coordinator.updaterController().unavailableReason();
    updatesUnavailable_->setText(unavailable ? QString::fromStdString(*unavailable) : QString());
    updatesUnavailable_->setVisible(unavailable.has_value());

    // The last correction's summary, and what keeps the settings or history from being saved.
    QStringList lines;
    if (const auto& status = coordinator.statusMessage().get()) {
        lines << QString::fromStdString(*status);
    }
    for (const auto& problem : coordinator.storageProblems().get()) {
        lines << QString::fromStdString(problem);
    }
    statusSection_->setVisible(!lines.isEmpty());
    status_->setText(lines.join(QChar('\n')));
}

}  // namespace plovik::ui
