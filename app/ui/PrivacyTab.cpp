#include "app/ui/PrivacyTab.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>

#include "app/ui/FormParts.h"
#include "app/ui/PermissionRow.h"

namespace plovik::ui {

PrivacyTab::PrivacyTab(UiContext& context, QWidget* parent) : QWidget(parent), context_(context) {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setSpacing(12);
    column->addWidget(permissionsSection());
    if (context_.desktopIntegration) {
        column->addWidget(inputSourcesSection(*context_.desktopIntegration));
    }
    column->addWidget(localProcessingSection());
    column->addWidget(learnedDataSection());
    column->addStretch(1);
    FormParts::fillWithScrolled(this, content);
    refresh();
}

const char* PrivacyTab::permissionNote(DesktopKind desktop) {
    // Nothing is switched on for Input Monitoring: an X11 session lets programs observe keys.
    switch (desktop) {
        case DesktopKind::inputMethod:
            return kInputMethodPermissionNote;
        case DesktopKind::gnome:
            return kGnomePermissionNote;
        case DesktopKind::x11:
            break;
    }
    return kX11PermissionNote;
}

QWidget* PrivacyTab::permissionsSection() {
    QVBoxLayout* layout = nullptr;
    auto* box = FormParts::section(QStringLiteral("Permissions"), &layout);
    auto& permissions = context_.coordinator.permissionService();
    accessibility_ = new PermissionRow(
        QStringLiteral("Accessibility"), QString(),
        [&permissions] { permissions.requestAccessibilityAndOpenSettings(); },
        [&permissions] { permissions.openAccessibilitySettings(); });
    inputMonitoring_ = new PermissionRow(
        QStringLiteral("Input Monitoring"), QString(),
        [&permissions] { permissions.requestInputMonitoringAndOpenSettings(); },
        [&permissions] { permissions.openInputMonitoringSettings(); });
    auto* refreshButton = new QPushButton(QStringLiteral("Refresh Permission Status"));
    connect(refreshButton, &QPushButton::clicked, this,
            [this] { context_.coordinator.refreshPermissions(); });
    auto* refreshRow = new QHBoxLayout;
    refreshRow->addWidget(refreshButton);
    refreshRow->addStretch(1);

    auto* runningCopy = new QLabel(QStringLiteral("Running copy: ") +
                                   QString::fromStdString(context_.runningCopyPath));
    auto font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(std::max(6.0, font.pointSizeF() - 2));
    runningCopy->setFont(font);
    runningCopy->setWordWrap(true);
    runningCopy->setTextInteractionFlags(Qt::TextSelectableByMouse);

    layout->addWidget(accessibility_);
    layout->addWidget(inputMonitoring_);
    layout->addLayout(refreshRow);
    layout->addWidget(runningCopy);
    layout->addWidget(FormParts::note(QString::fromUtf8(permissionNote(context_.desktop)),
                                      FormParts::TextSize::caption));
    layout->addWidget(
        FormParts::note(QString::fromUtf8(kStaleRowNote), FormParts::TextSize::caption));
    return box;
}

// On GNOME: whether Plovik's input sources stand in for the user's, and the one step either
// way.
QWidget* PrivacyTab::inputSourcesSection(DesktopIntegration& integration) {
    QVBoxLayout* layout = nullptr;
    auto* box = FormParts::section(QStringLiteral("GNOME input sources"), &layout);
    auto* state = FormParts::note(QString(), FormParts::TextSize::body, false);
    auto* toggle = new QPushButton;
    auto* result = FormParts::note(QString(), FormParts::TextSize::caption);
    const auto show = [state, toggle, &integration] {
        const bool on = integration.status().isOn;
        state->setText(on ? QStringLiteral("Plovik's input sources stand in for yours.")
                          : QStringLiteral("Your own input sources are in use: Plovik does not "
                                           "see what you type."));
        toggle->setText(on ? QStringLiteral("Give My Input Sources Back")
                           : QStringLiteral("Set Up Input Sources"));
    };
    show();
    connect(toggle, &QPushButton::clicked, this, [this, &integration, show, result] {
        const auto error = integration.status().isOn ? integration.turnOff() : integration.turnOn();
        result->setText(error ? QString::fromStdString(*error) : QString());
        show();
        context_.coordinator.refreshPermissions();
    });
    auto* row = new QHBoxLayout;
    row->addWidget(toggle);
    row->addStretch(1);
    layout->addWidget(state);
    layout->addLayout(row);
    layout->addWidget(result);
    return box;
}

QWidget* PrivacyTab::localProcessingSection() {
    QVBoxLayout* layout = nullptr;
    auto* box = FormParts::section(QStringLiteral("Local processing"), &layout);
    const auto line = [layout](Symbol symbol, const char* text) {
        layout->addWidget(FormParts::symbolLabel(
            symbol, QApplication::palette().color(QPalette::WindowText), QString::fromUtf8(text)));
    };
    line(Symbol::networkSlash, "No network service or external AI is used");
    line(Symbol::textSpacing,
         "Only the current token and a short bounded context are kept in memory");
    line(Symbol::drive,
         "Saved learning contains token pairs, application ID, outcome, and time only");
    line(Symbol::lockShield, "Secure/password fields are excluded before correction");
    return box;
}

QWidget* PrivacyTab::learnedDataSection() {
    QVBoxLayout* layout = nullptr;
    auto* box = FormParts::section(QStringLiteral("Learned data"), &layout);
    auto* clear = new QPushButton(QStringLiteral("Clear Learned Dictionary and Local History"));
    FormParts::setTextColor(clear, QColor(0xc0, 0x1c, 0x28));
    auto palette = clear->palette();
    palette.setColor(QPalette::ButtonText, QColor(0xc0, 0x1c, 0x28));
    clear->setPalette(palette);
    connect(clear, &QPushButton::clicked, this, &PrivacyTab::confirmClear);
    auto* row = new QHBoxLayout;
    row->addWidget(clear);
    row->addStretch(1);
    layout->addLayout(row);
    return box;
}

void PrivacyTab::confirmClear() {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Clear all local learning data?"),
                    QStringLiteral("Clear all local learning data?"), QMessageBox::Cancel, this);
    box.setInformativeText(QStringLiteral(
        "This removes correction outcomes and learned exceptions. Application settings are "
        "kept."));
    auto* clear = box.addButton(QStringLiteral("Clear Data"), QMessageBox::DestructiveRole);
    box.setDefaultButton(QMessageBox::Cancel);
    // Wide enough that the message reads as two lines, not five.
    box.setStyleSheet(
        QStringLiteral("#qt_msgbox_label, #qt_msgbox_informativelabel { min-width: 320px; }"));
    confirmation_ = &box;
    box.exec();
    confirmation_ = nullptr;
    if (box.clickedButton() == clear) {
        context_.coordinator.clearLearningData();
    }
}

void PrivacyTab::refresh() {
    const auto& snapshot = context_.coordinator.permissionSnapshot().get();
    accessibility_->setGranted(snapshot.accessibilityGranted);
    inputMonitoring_->setGranted(snapshot.inputMonitoringGranted);
}

}  // namespace plovik::ui
