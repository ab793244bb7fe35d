#include "app/ui/OnboardingWindow.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QStringList>
#include <QVBoxLayout>

#include "app/ui/FormParts.h"
#include "app/ui/PermissionRow.h"

namespace plovik::ui {

namespace {

constexpr int kWidth = 620;
// Tall enough for the permissions page with GNOME's set-up on it.
constexpr int kHeight = 650;

QLabel* title(const QString& text, qreal delta) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    FormParts::setPointSizeDelta(label, delta, true);
    return label;
}

}  // namespace

OnboardingWindow::OnboardingWindow(UiContext& context, CoordinatorBridge& bridge, QWidget* parent)
    : QWidget(parent), context_(context) {
    setWindowTitle(QString::fromUtf8(kTitle));
    setWindowIcon(SymbolIcons::activeIcon());
    setObjectName(QStringLiteral("onboarding"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(32, 32, 32, 32);
    column->setSpacing(24);

    symbol_ = new QLabel;
    symbol_->setAlignment(Qt::AlignCenter);
    pages_ = new QStackedWidget;
    pages_->addWidget(welcome());
    pages_->addWidget(permissions());
    pages_->addWidget(applications());

    auto* navigation = new QHBoxLayout;
    back_ = new QPushButton(QStringLiteral("Back"));
    connect(back_, &QPushButton::clicked, this, &OnboardingWindow::goBack);
    forward_ = new QPushButton;
    forward_->setDefault(true);
    connect(forward_, &QPushButton::clicked, this, [this] {
        if (page_ == applicationsPage) {
            start();
        } else {
            goOn();
        }
    });
    navigation->addWidget(back_);
    navigation->addStretch(1);
    navigation->addWidget(forward_);

    column->addWidget(symbol_);
    column->addWidget(pages_, 1);
    column->addLayout(navigation);
    resize(kWidth, kHeight);
    setMinimumSize(kWidth, kHeight);
    connect(&bridge, &CoordinatorBridge::changed, this, &OnboardingWindow::refresh);
    showPage(welcomePage);
    refresh();
}

QWidget* OnboardingWindow::welcome() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(14);
    auto* heading = title(QStringLiteral("Type in the layout you intended"), 8);
    heading->setAlignment(Qt::AlignCenter);
    auto* text = FormParts::note(
        QStringLiteral("Plovik recognizes likely mistakes between your standard keyboard "
                       "layouts, corrects the current word locally, and switches the active "
                       "input source. Nothing is sent to a server."),
        FormParts::TextSize::body);
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(heading);
    layout->addWidget(text);

    auto* lines = new QWidget;
    auto* linesLayout = new QVBoxLayout(lines);
    linesLayout->setSpacing(10);
    const auto color = palette().color(QPalette::WindowText);
    const auto line = [&](Symbol symbol, const char* caption) {
        auto* row = FormParts::symbolLabel(symbol, color, QString::fromUtf8(caption), QColor(), 20);
        row->findChild<QLabel*>(QStringLiteral("text"))->setWordWrap(false);
        linesLayout->addWidget(row);
    };
    line(Symbol::textCursor, "Installed standard layouts are detected automatically");
    line(Symbol::checkShield, "Only apps you explicitly enable are processed");
    line(Symbol::lock, "Passwords and secure fields are excluded");
    line(Symbol::keyboard, "Alt-Space corrects manually; Alt-Shift-Space undoes");
    auto* centred = new QHBoxLayout;
    centred->addStretch(1);
    centred->addWidget(lines);
    centred->addStretch(1);
    layout->addLayout(centred);
    layout->addStretch(1);
    return page;
}

const char* OnboardingWindow::permissionNote(DesktopKind desktop) {
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

QWidget* OnboardingWindow::permissions() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    auto& service = context_.coordinator.permissionService();
    accessibility_ = new PermissionRow(
        QStringLiteral("Accessibility"),
        QStringLiteral("Reads the focused field type and replaces only the current token."),
        [&service] { service.requestAccessibilityAndOpenSettings(); },
        [&service] { service.openAccessibilitySettings(); });
    inputMonitoring_ = new PermissionRow(
        QStringLiteral("Input Monitoring"),
        QStringLiteral(
            "Observes keystrokes long enough to maintain the current token in enabled apps."),
        [&service] { service.requestInputMonitoringAndOpenSettings(); },
        [&service] { service.openInputMonitoringSettings(); });
    auto* refreshButton = new QPushButton(QStringLiteral("Refresh Status"));
    connect(refreshButton, &QPushButton::clicked, this,
            [this] { context_.coordinator.refreshPermissions(); });
    auto* refreshRow = new QHBoxLayout;
    refreshRow->addWidget(refreshButton);
    refreshRow->addStretch(1);
    auto* path = new QLabel(QString::fromStdString(context_.runningCopyPath));
    auto font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(std::max(6.0, font.pointSizeF() - 2));
    path->setFont(font);
    path->setWordWrap(true);
    path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FormParts::setTextColor(path, SymbolIcons::secondary());

    layout->addWidget(title(QStringLiteral("Two desktop permissions are required"), 4));
    layout->addWidget(accessibility_);
    layout->addWidget(inputMonitoring_);
    if (context_.desktopIntegration) {
        layout->addWidget(gnomeSetUp(*context_.desktopIntegration));
    }
    layout->addLayout(refreshRow);
    layout->addWidget(FormParts::note(QString::fromUtf8(permissionNote(context_.desktop)),
                                      FormParts::TextSize::caption));
    layout->addWidget(path);
    layout->addStretch(1);
    return page;
}

// What setting Plovik up on GNOME changes, and the one step that does it.
QWidget* OnboardingWindow::gnomeSetUp(DesktopIntegration& integration) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto status = integration.status();
    QStringList replaced;
    for (const auto& change : status.changes) {
        replaced << QString::fromStdString(change);
    }
    layout->addWidget(FormParts::note(
        QStringLiteral("On GNOME, Plovik sees typing only through its own input sources. Setting "
                       "up replaces yours (%1) by Plovik's of the same layouts and turns on its "
                       "GNOME Shell extension; removing Plovik gives yours back.")
            .arg(replaced.join(QStringLiteral(", "))),
        FormParts::TextSize::caption, false));
    auto* setUp = new QPushButton(QStringLiteral("Set Up Input Sources"));
    setUp->setEnabled(!status.isOn && !status.problem);
    gnomeResult_ =
        FormParts::note(status.problem ? QString::fromStdString(*status.problem) : QString(),
                        FormParts::TextSize::caption);
    gnomeResult_->setVisible(!gnomeResult_->text().isEmpty());
    connect(setUp, &QPushButton::clicked, this, [this, &integration, setUp] {
        const auto error = integration.turnOn();
        const auto now = integration.status();
        gnomeResult_->setText(
            error ? QString::fromStdString(*error)
            : now.needsLogOut
                ? QStringLiteral("Done. Log out and in again so that GNOME loads Plovik's "
                                 "extension.")
                : QStringLiteral("Done."));
        gnomeResult_->show();
        setUp->setEnabled(!now.isOn);
        context_.coordinator.refreshPermissions();
    });
    auto* row = new QHBoxLayout;
    row->addWidget(setUp);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addWidget(gnomeResult_);
    return box;
}

QWidget* OnboardingWindow::applications() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(title(QStringLiteral("Choose where Plovik works"), 4));
    layout->addWidget(FormParts::note(
        QStringLiteral("Installed suggestions are off until you confirm them. You can add any "
                       "other application later in Settings."),
        FormParts::TextSize::body));

    suggestionList_ = new QWidget;
    new QVBoxLayout(suggestionList_);
    suggestionList_->layout()->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(suggestionList_);

    noSuggestions_ = new QWidget;
    auto* empty = new QVBoxLayout(noSuggestions_);
    auto* symbol = new QLabel;
    symbol->setPixmap(SymbolIcons::pixmap(Symbol::applicationDashed, SymbolIcons::secondary(), 40));
    symbol->setAlignment(Qt::AlignCenter);
    auto* emptyTitle = title(QStringLiteral("No Slack or Telegram installation found"), 2);
    emptyTitle->setAlignment(Qt::AlignCenter);
    auto* emptyText = FormParts::note(
        QStringLiteral("Finish onboarding, then add applications manually in Settings."),
        FormParts::TextSize::body);
    emptyText->setAlignment(Qt::AlignCenter);
    empty->addStretch(1);
    empty->addWidget(symbol);
    empty->addWidget(emptyTitle);
    empty->addWidget(emptyText);
    empty->addStretch(1);
    layout->addWidget(noSuggestions_, 1);
    layout->addStretch(1);
    return page;
}

void OnboardingWindow::fillSuggestions() {
    if (!suggestions_.empty()) {
        return;
    }
    suggestions_ = context_.coordinator.installedApplicationService().suggestedApplications();
    auto* layout = suggestionList_->layout();
    for (std::size_t index = 0; index < suggestions_.size(); ++index) {
        const auto& suggestion = suggestions_[index].application;
        auto* row = new QWidget;
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 4, 0, 4);
        auto* toggle = new QCheckBox(QString::fromStdString(suggestion.displayName));
        toggle->setChecked(suggestions_[index].isSelected);
        connect(toggle, &QCheckBox::toggled, this,
                [this, index](bool on) { suggestions_[index].isSelected = on; });
        auto* identifier = new QLabel(QString::fromStdString(suggestion.bundleIdentifier));
        FormParts::setPointSizeDelta(identifier, -1.5);
        FormParts::setTextColor(identifier, SymbolIcons::secondary());
        identifier->setIndent(26);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(0);
        texts->addWidget(toggle);
        texts->addWidget(identifier);
        rowLayout->addLayout(texts, 1);
        layout->addWidget(row);
        toggles_.push_back(toggle);
    }
    suggestionList_->setVisible(!suggestions_.empty());
    noSuggestions_->setVisible(suggestions_.empty());
}

bool OnboardingWindow::showsNoSuggestions() const {
    return suggestions_.empty();
}

void OnboardingWindow::showEvent(QShowEvent* event) {
    fillSuggestions();
    context_.coordinator.refreshPermissions();
    QWidget::showEvent(event);
}

void OnboardingWindow::showPage(int page) {
    page_ = page;
    pages_->setCurrentIndex(page);
    static constexpr Symbol kSymbols[] = {Symbol::keyboard, Symbol::hand, Symbol::applicationCheck};
    symbol_->setPixmap(SymbolIcons::pixmap(kSymbols[page], SymbolIcons::accent(), 48));
    back_->setVisible(page >= permissionsPage);
    forward_->setText(page == applicationsPage ? QStringLiteral("Start Plovik")
                                               : QStringLiteral("Continue"));
}

void OnboardingWindow::goBack() {
    if (page_ > welcomePage) {
        showPage(page_ - 1);
    }
}

void OnboardingWindow::goOn() {
    if (page_ < applicationsPage) {
        showPage(page_ + 1);
    }
}

void OnboardingWindow::start() {
    std::vector<EnabledApplication> chosen;
    for (const auto& suggestion : suggestions_) {
        if (suggestion.isSelected) {
            chosen.push_back(suggestion.application);
        }
    }
    context_.coordinator.completeOnboarding(chosen);
    close();
    emit finished();
}

void OnboardingWindow::refresh() {
    const auto& snapshot = context_.coordinator.permissionSnapshot().get();
    accessibility_->setGranted(snapshot.accessibilityGranted);
    inputMonitoring_->setGranted(snapshot.inputMonitoringGranted);
}

}  // namespace plovik::ui
