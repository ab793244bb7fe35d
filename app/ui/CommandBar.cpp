#include "app/ui/CommandBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/FormParts.h"
#include "core/replacement/LastConversion.h"

namespace plovik::ui {

CommandBar::CommandBar(UiContext& context, MonitoringCommands& commands, QWidget* parent)
    : QWidget(parent), context_(context), commands_(commands) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 8);
    column->setSpacing(4);
    auto* row = new QHBoxLayout;
    icon_ = new QLabel;
    state_ = new QLabel;
    FormParts::setPointSizeDelta(state_, 0, true);
    pause_ = new QPushButton(QStringLiteral("Pause"));
    auto* pauseMenu = new QMenu(pause_);
    pauseMenu->addAction(QStringLiteral("For 15 Minutes"), this,
                         [this] { commands_.pauseFor(MonitoringCommands::kShortPause); });
    pauseMenu->addAction(QStringLiteral("For 1 Hour"), this,
                         [this] { commands_.pauseFor(MonitoringCommands::kLongPause); });
    pause_->setMenu(pauseMenu);
    resume_ = new QPushButton(QStringLiteral("Resume Now"));
    connect(resume_, &QPushButton::clicked, this, [this] { commands_.resume(); });
    undo_ = new QPushButton(QStringLiteral("Undo Last Correction"));
    connect(undo_, &QPushButton::clicked, this,
            [this] { context_.coordinator.undoLastCorrection(); });
    row->addWidget(icon_);
    row->addWidget(state_);
    row->addStretch(1);
    row->addWidget(undo_);
    row->addWidget(pause_);
    row->addWidget(resume_);
    status_ = FormParts::note(QString(), FormParts::TextSize::caption);
    column->addLayout(row);
    column->addWidget(status_);
    refresh();
}

void CommandBar::refresh() {
    auto& coordinator = context_.coordinator;
    const bool active = coordinator.isActive();
    icon_->setPixmap(
        (active ? SymbolIcons::activeIcon() : SymbolIcons::pausedIcon()).pixmap(22, 22));
    QString state;
    if (active) {
        state = QStringLiteral("Plovik active");
    } else if (coordinator.isPaused()) {
        state = QStringLiteral("Plovik paused");
    } else if (!coordinator.permissionSnapshot()->isReady()) {
        state = QStringLiteral("Plovik paused: permissions required");
    } else if (!context_.settingsStore.settings().monitoringEnabled) {
        state = QStringLiteral("Plovik paused: switched off");
    } else {
        state = QStringLiteral("Plovik paused");
    }
    state_->setText(state);
    pause_->setVisible(!coordinator.isPaused());
    resume_->setVisible(coordinator.isPaused());
    const auto& last = coordinator.lastCorrection().get();
    undo_->setEnabled(last.has_value());

    QStringList lines;
    // A converted paragraph is quoted by its beginning.
    lines << (last ? QStringLiteral("Last: ") +
                         QString::fromStdString(LastConversion::excerpt(last->original)) +
                         QStringLiteral(" → ") +
                         QString::fromStdString(LastConversion::excerpt(last->corrected))
                   : QStringLiteral("Last correction: None"));
    if (const auto& status = coordinator.statusMessage().get()) {
        lines << QString::fromStdString(*status);
    }
    for (const auto& problem : coordinator.storageProblems().get()) {
        lines << QString::fromStdString(problem);
    }
    status_->setText(lines.join(QStringLiteral("   ·   ")));
}

}  // namespace plovik::ui
