#include "app/ui/ShortcutsTab.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "app/ui/FormParts.h"

namespace plovik::ui {

ShortcutDefinition& ShortcutsTab::field(AppSettings& settings, Row row) {
    switch (row) {
        case undoRow:
            return settings.undoShortcut;
        case pauseRow:
            return settings.pauseShortcut;
        case convertRow:
            return settings.convertShortcut;
        default:
            return settings.manualShortcut;
    }
}

const ShortcutDefinition& ShortcutsTab::field(const AppSettings& settings, Row row) {
    return field(const_cast<AppSettings&>(settings), row);
}

ShortcutsTab::ShortcutsTab(UiContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    QVBoxLayout* sectionLayout = nullptr;
    auto* box = FormParts::section(QStringLiteral("Global shortcuts"), &sectionLayout);
    const std::array<const char*, rowCount> titles{"Manual correction", "Undo last correction",
                                                   "Pause or resume", "Convert selection"};
    for (int index = 0; index < rowCount; ++index) {
        const auto row = static_cast<Row>(index);
        auto& widgets = rows_[row];
        auto* line = new QHBoxLayout;
        line->addWidget(new QLabel(QString::fromUtf8(titles[row])));
        line->addStretch(1);
        widgets.recorder = new ShortcutRecorderButton;
        widgets.recorder->setFixedSize(140, 26);
        widgets.recorder->setAccessibleName(QString::fromUtf8(titles[row]));
        widgets.recorder->setOnRecord([this, row](const ShortcutDefinition& shortcut) {
            context_.settingsStore.update(
                [row, shortcut](AppSettings& settings) { field(settings, row) = shortcut; });
        });
        connect(widgets.recorder, &ShortcutRecorderButton::recordingCancelled, this,
                &ShortcutsTab::refresh);
        line->addWidget(widgets.recorder);
        sectionLayout->addLayout(line);

        widgets.conflict = FormParts::symbolLabel(Symbol::warningTriangle, SymbolIcons::orange(),
                                                  QString(), SymbolIcons::orange(), 14);
        widgets.conflictText = widgets.conflict->findChild<QLabel*>(QStringLiteral("text"));
        FormParts::setPointSizeDelta(widgets.conflictText, -1.5);
        sectionLayout->addWidget(widgets.conflict);
        widgets.free = new QPushButton(QStringLiteral("Remove It from GNOME's Window Menu"));
        connect(widgets.free, &QPushButton::clicked, this, [this, row] { freeForPlovik(row); });
        auto* freeLine = new QHBoxLayout;
        freeLine->addWidget(widgets.free);
        freeLine->addStretch(1);
        sectionLayout->addLayout(freeLine);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(12);
    layout->addWidget(box);
    layout->addWidget(
        FormParts::note(QString::fromUtf8(kExplanation), FormParts::TextSize::callout));
    layout->addStretch(1);
    refresh();
}

void ShortcutsTab::refresh() {
    const auto& settings = context_.settingsStore.settings();
    for (int index = 0; index < rowCount; ++index) {
        const auto row = static_cast<Row>(index);
        auto& widgets = rows_[row];
        const auto& shortcut = field(settings, row);
        widgets.recorder->showShortcut(shortcut);
        if (widgets.probed != shortcut) {
            widgets.probed = shortcut;
            widgets.conflictDescription =
                context_.coordinator.shortcutConflictDetector().conflictDescription(shortcut);
        }
        const auto& conflict = widgets.conflictDescription;
        widgets.conflictText->setText(conflict ? QString::fromStdString(*conflict) : QString());
        widgets.conflict->setVisible(conflict.has_value());
        auto* desktop = context_.desktopIntegration;
        widgets.free->setVisible(desktop && desktop->desktopTakes(shortcut));
    }
}

// GNOME's window menu takes Alt+Space before any input method sees it; the user may give
// that binding up.
void ShortcutsTab::freeForPlovik(Row row) {
    auto* desktop = context_.desktopIntegration;
    if (!desktop) {
        return;
    }
    (void)desktop->freeForPlovik(field(context_.settingsStore.settings(), row));
    rows_[row].probed.reset();
    refresh();
}

void ShortcutsTab::showEvent(QShowEvent* event) {
    for (auto& widgets : rows_) {
        widgets.probed.reset();
    }
    refresh();
    QWidget::showEvent(event);
}

}  // namespace plovik::ui
