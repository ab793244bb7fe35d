#include "app/ui/ApplicationsTab.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolButton>

#include "app/ui/ApplicationChooserDialog.h"
#include "app/ui/ApplicationDetailView.h"
#include "app/ui/ApplicationRowWidget.h"
#include "app/ui/FormParts.h"

namespace plovik::ui {

namespace {

constexpr int kPlaceholderPage = 0;
constexpr int kDetailPage = 1;

QToolButton* barButton(Symbol symbol, const QString& help) {
    auto* button = new QToolButton;
    button->setIcon(SymbolIcons::icon(symbol, QApplication::palette().color(QPalette::ButtonText)));
    button->setToolTip(help);
    button->setAccessibleName(help);
    button->setAutoRaise(true);
    return button;
}

}  // namespace

ApplicationsTab::ApplicationsTab(UiContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    chooser_ = [this] { return chooseInstalledApplication(); };

    auto* left = new QWidget;
    left->setMinimumWidth(280);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    list_ = new QListWidget;
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    // A light selection keeps the coloured status badges readable.
    auto listPalette = list_->palette();
    auto tint = SymbolIcons::accent();
    tint.setAlphaF(0.22f);
    listPalette.setColor(QPalette::Highlight, tint);
    listPalette.setColor(QPalette::HighlightedText, listPalette.color(QPalette::Text));
    list_->setPalette(listPalette);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < static_cast<int>(listed_.size())) {
            selected_ = listed_[static_cast<std::size_t>(row)].bundleIdentifier;
        } else {
            selected_.reset();
        }
        showSelection();
    });
    auto* bar = new QWidget;
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(8, 8, 8, 8);
    add_ = barButton(Symbol::plus, QStringLiteral("Add an installed application"));
    remove_ = barButton(Symbol::minus, QStringLiteral("Remove selected application"));
    connect(add_, &QToolButton::clicked, this, &ApplicationsTab::addApplication);
    connect(remove_, &QToolButton::clicked, this, &ApplicationsTab::removeSelectedApplication);
    barLayout->addWidget(add_);
    barLayout->addWidget(remove_);
    barLayout->addStretch(1);
    leftLayout->addWidget(list_, 1);
    leftLayout->addWidget(bar);

    right_ = new QStackedWidget;
    right_->setMinimumWidth(360);
    right_->addWidget(placeholder());
    detail_ = new ApplicationDetailView(context_.settingsStore);
    right_->addWidget(FormParts::scrollArea(detail_));

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(left);
    splitter->addWidget(right_);
    splitter->setChildrenCollapsible(false);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    refresh();
}

QWidget* ApplicationsTab::placeholder() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addStretch(1);
    auto* symbol = new QLabel;
    symbol->setPixmap(SymbolIcons::pixmap(Symbol::applicationCheck, SymbolIcons::secondary(), 40));
    symbol->setAlignment(Qt::AlignCenter);
    auto* title = new QLabel(QStringLiteral("Select an application"));
    FormParts::setPointSizeDelta(title, 3, true);
    title->setAlignment(Qt::AlignCenter);
    auto* explanation = FormParts::note(
        QStringLiteral("Plovik ignores every application not listed and enabled here."),
        FormParts::TextSize::body);
    explanation->setAlignment(Qt::AlignCenter);
    layout->addWidget(symbol);
    layout->addWidget(title);
    layout->addWidget(explanation);
    layout->addStretch(1);
    return page;
}

void ApplicationsTab::showEvent(QShowEvent* event) {
    if (!selected_ && !listed_.empty()) {
        select(listed_.front().bundleIdentifier);
    }
    QWidget::showEvent(event);
}

void ApplicationsTab::refresh() {
    if (listed_ != context_.settingsStore.settings().applications) {
        rebuildList();
    }
    showSelection();
}

void ApplicationsTab::rebuildList() {
    listed_ = context_.settingsStore.settings().applications;
    const QSignalBlocker blocker(list_);
    list_->clear();
    for (const auto& application : listed_) {
        auto* item = new QListWidgetItem;
        auto* row = new ApplicationRowWidget(application);
        item->setSizeHint(row->sizeHint());
        list_->addItem(item);
        list_->setItemWidget(item, row);
    }
}

void ApplicationsTab::select(const std::optional<std::string>& bundleIdentifier) {
    selected_ = bundleIdentifier;
    showSelection();
}

bool ApplicationsTab::showsPlaceholder() const {
    return right_->currentIndex() == kPlaceholderPage;
}

void ApplicationsTab::showSelection() {
    int row = -1;
    for (std::size_t index = 0; index < listed_.size(); ++index) {
        if (selected_ && listed_[index].bundleIdentifier == *selected_) {
            row = static_cast<int>(index);
            break;
        }
    }
    {
        const QSignalBlocker blocker(list_);
        list_->setCurrentRow(row);
        if (row < 0) {
            list_->clearSelection();
        }
    }
    remove_->setEnabled(selected_.has_value());
    if (row < 0) {
        right_->setCurrentIndex(kPlaceholderPage);
        return;
    }
    detail_->showApplication(listed_[static_cast<std::size_t>(row)]);
    right_->setCurrentIndex(kDetailPage);
}

std::optional<EnabledApplication> ApplicationsTab::chooseInstalledApplication() {
    auto& service = context_.coordinator.installedApplicationService();
    ApplicationChooserDialog dialog(service.installedApplications(), this);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const auto chosen = dialog.chosenApplication();
    if (!chosen) {
        return std::nullopt;
    }
    return service.chooseApplication(*chosen);
}

void ApplicationsTab::addApplication() {
    const auto chosen = chooser_();
    if (!chosen) {
        return;
    }
    context_.settingsStore.addApplication(*chosen);
    selected_ = chosen->bundleIdentifier;
    refresh();
}

void ApplicationsTab::removeSelectedApplication() {
    if (!selected_) {
        return;
    }
    context_.settingsStore.removeApplication(*selected_);
    selected_.reset();
    refresh();
}

}  // namespace plovik::ui
