#include "app/ui/TrayMenu.h"

#include <QStringList>

#include "app/ui/ShortcutText.h"
#include "app/ui/SymbolIcons.h"

namespace plovik::ui {

TrayMenu::TrayMenu(UiContext& context, MonitoringCommands& commands, QObject* parent)
    : QObject(parent), context_(context), commands_(commands), menu_(std::make_unique<QMenu>()) {
    connect(menu_.get(), &QMenu::aboutToShow, this, &TrayMenu::rebuild);
    rebuild();
}

TrayMenu::~TrayMenu() = default;

QIcon TrayMenu::icon() const {
    return context_.coordinator.isActive() ? SymbolIcons::activeIcon() : SymbolIcons::pausedIcon();
}

QString TrayMenu::accessibleLabel() const {
    return QString::fromUtf8(context_.coordinator.isActive() ? kActiveLabel : kPausedLabel);
}

QString TrayMenu::shownState() const {
    auto& coordinator = context_.coordinator;
    const auto& source = coordinator.inputSourceService().currentSource();
    const auto& last = coordinator.lastCorrection().get();
    const auto& status = coordinator.statusMessage().get();
    return QStringList{
        QString::fromStdString(commands_.switchLabel()),
        QString::number(commands_.isSwitchOn()),
        QString::number(coordinator.isPaused()),
        source ? QString::fromStdString(source->name) : QString(),
        last ? QString::fromStdString(last->original + "\n" + last->corrected) : QString(),
        QString::number(coordinator.permissionSnapshot()->isReady()),
        status ? QString::fromStdString(*status) : QString(),
        QString::fromStdString(problemLines()),
        QString::number(coordinator.canCheckForUpdates().get()),
        QString::fromStdString(
            ShortcutText::displayText(context_.settingsStore.settings().convertShortcut))}
        .join(QChar(0));
}

void TrayMenu::rebuild() {
    auto& coordinator = context_.coordinator;
    const auto state = shownState();
    if (menu_->isVisible() && state == shownState_) {
        return;
    }
    shownState_ = state;
    menu_->clear();
    addMonitoringSwitch();
    addPauseCommands();
    menu_->addSeparator();

    const auto& source = coordinator.inputSourceService().currentSource();
    addTextLine(QStringLiteral("Input Source: ") +
                (source ? QString::fromStdString(source->name) : QStringLiteral("Unknown")));
    addLastCorrection();
    addConversion();

    if (!coordinator.permissionSnapshot()->isReady()) {
        menu_->addSeparator();
        menu_->addAction(QStringLiteral("Permissions Required…"), this,
                         &TrayMenu::onboardingRequested);
    }
    if (const auto& status = coordinator.statusMessage().get()) {
        addTextLine(QString::fromStdString(*status));
    }
    for (const auto& problem : coordinator.storageProblems().get()) {
        addTextLine(QString::fromStdString(problem));
    }
    menu_->addSeparator();

    auto* check = menu_->addAction(QStringLiteral("Check for Updates…"), this, [this] {
        context_.coordinator.updaterController().checkForUpdates();
    });
    check->setEnabled(coordinator.canCheckForUpdates().get());
    menu_->addAction(QStringLiteral("Settings…"), this, &TrayMenu::settingsRequested);
    auto* quit = menu_->addAction(QStringLiteral("Quit Plovik"), this, &TrayMenu::quitRequested);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}

void TrayMenu::addMonitoringSwitch() {
    auto* toggle = menu_->addAction(QString::fromStdString(commands_.switchLabel()));
    toggle->setCheckable(true);
    toggle->setChecked(commands_.isSwitchOn());
    connect(toggle, &QAction::triggered, this, [this](bool on) { commands_.setSwitch(on); });
}

void TrayMenu::addPauseCommands() {
    if (context_.coordinator.isPaused()) {
        menu_->addAction(QStringLiteral("Resume Now"), this, [this] { commands_.resume(); });
        return;
    }
    auto* pause = menu_->addMenu(QStringLiteral("Pause"));
    pause->addAction(QStringLiteral("For 15 Minutes"), this,
                     [this] { commands_.pauseFor(MonitoringCommands::kShortPause); });
    pause->addAction(QStringLiteral("For 1 Hour"), this,
                     [this] { commands_.pauseFor(MonitoringCommands::kLongPause); });
}

std::string TrayMenu::problemLines() const {
    std::string lines;
    for (const auto& problem : context_.coordinator.storageProblems().get()) {
        lines += problem + "\n";
    }
    return lines;
}

void TrayMenu::addTextLine(const QString& text) {
    QString shown = text;
    // Cut between characters, never inside one.
    if (shown.size() > kLongestLine) {
        int end = kLongestLine - 1;
        while (end > 0 && shown.at(end).isLowSurrogate()) {
            --end;
        }
        shown = shown.left(end) + QStringLiteral("…");
    }
    // A lone "&" would make the next character a mnemonic and vanish itself.
    auto* line = menu_->addAction(shown.replace(QChar('&'), QStringLiteral("&&")));
    line->setEnabled(false);
}

void TrayMenu::addLastCorrection() {
    const auto& last = context_.coordinator.lastCorrection().get();
    if (!last) {
        addTextLine(QStringLiteral("Last correction: None"));
        return;
    }
    addTextLine(QStringLiteral("Last: ") + QString::fromStdString(last->original) +
                QStringLiteral(" → ") + QString::fromStdString(last->corrected));
    auto* undo = menu_->addAction(QStringLiteral("Undo Last Correction"), this,
                                  [this] { context_.coordinator.undoLastCorrection(); });
    undo->setShortcut(QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Z));
}

void TrayMenu::addConversion() {
    // The global shortcut is only shown: Qt must not take it for the menu's own.
    const auto shortcut =
        ShortcutText::displayText(context_.settingsStore.settings().convertShortcut);
    menu_->addAction(QStringLiteral("Convert Selected Text\t") + QString::fromStdString(shortcut),
                     this, [this] { context_.coordinator.convertSelection(); });
}

}  // namespace plovik::ui
