#include "app/ui/LanguagesTab.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>

#include "app/ui/FormParts.h"

namespace plovik::ui {

namespace {

QString reasonOf(const InputSourceDescriptor& source) {
    return source.unsupportedReason ? QString::fromStdString(*source.unsupportedReason)
                                    : QStringLiteral("Unsupported input method");
}

QString joined(const std::vector<std::string>& parts) {
    QStringList list;
    for (const auto& part : parts) {
        list << QString::fromStdString(part);
    }
    return list.join(QStringLiteral(", "));
}

}  // namespace

LanguagesTab::LanguagesTab(InputSourceService& inputSources, QWidget* parent)
    : QWidget(parent), inputSources_(inputSources) {
    content_ = new QWidget;
    column_ = new QVBoxLayout(content_);
    column_->setSpacing(12);
    FormParts::fillWithScrolled(this, content_);
    refresh();
}

void LanguagesTab::refresh() {
    const auto& error = inputSources_.lastError();
    Shown now{inputSources_.availableSources(), inputSources_.currentSource(),
              error ? std::optional<std::string>(error->description()) : std::nullopt};
    if (shown_ == now) {
        return;
    }
    shown_ = std::move(now);
    while (auto* item = column_->takeAt(0)) {
        if (auto* widget = item->widget()) {
            widget->deleteLater();
        }
        delete item;
    }
    column_->addWidget(detectionSection());
    column_->addWidget(currentSourceSection());
    column_->addWidget(layoutsSection());
    if (error) {
        QVBoxLayout* layout = nullptr;
        auto* box = FormParts::section(QString(), &layout);
        auto* text = FormParts::note(QString::fromStdString(error->description()),
                                     FormParts::TextSize::body, false);
        FormParts::setTextColor(text, SymbolIcons::orange());
        layout->addWidget(text);
        column_->addWidget(box);
    }
    column_->addStretch(1);
}

QWidget* LanguagesTab::detectionSection() {
    QVBoxLayout* layout = nullptr;
    auto* box = FormParts::section(QStringLiteral("Automatic layout detection"), &layout);
    const auto count = inputSources_.supportedLayouts().size();
    layout->addWidget(FormParts::symbolLabel(
        Symbol::checkCircle, SymbolIcons::green(),
        QString::number(count) + QStringLiteral(" standard layouts available")));
    layout->addWidget(
        FormParts::note(QString::fromUtf8(kLayoutsExplanation), FormParts::TextSize::callout));
    layout->addWidget(FormParts::note(
        QStringLiteral(
            "Composite Chinese, Japanese, Korean, and other IME input methods are excluded."),
        FormParts::TextSize::caption));
    return box;
}

QWidget* LanguagesTab::currentSourceSection() {
    QVBoxLayout* layout = nullptr;
    auto* box = FormParts::section(QStringLiteral("Current input source"), &layout);
    const auto& current = inputSources_.currentSource();
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Name"), new QLabel(current ? QString::fromStdString(current->name)
                                                            : QStringLiteral("Unknown")));
    auto* identifier =
        new QLabel(current ? QString::fromStdString(current->id) : QStringLiteral("Unavailable"));
    identifier->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(QStringLiteral("Identifier"), identifier);
    layout->addLayout(form);
    if (current && !current->isSupported) {
        layout->addWidget(FormParts::symbolLabel(Symbol::warningTriangle, SymbolIcons::orange(),
                                                 reasonOf(*current), SymbolIcons::orange()));
    }
    return box;
}

QWidget* LanguagesTab::layoutsSection() {
    QVBoxLayout* layout = nullptr;
    auto* box = FormParts::section(QStringLiteral("Detected keyboard layouts"), &layout);
    for (const auto& source : inputSources_.availableSources()) {
        layout->addWidget(layoutRow(source));
    }
    if (inputSources_.supportedLayouts().size() < 2) {
        layout->addWidget(FormParts::symbolLabel(Symbol::warningTriangle, SymbolIcons::orange(),
                                                 QString::fromUtf8(kTooFewLayoutsWarning),
                                                 SymbolIcons::orange()));
    }
    auto* refreshButton = new QPushButton(QStringLiteral("Refresh Input Sources"));
    connect(refreshButton, &QPushButton::clicked, this, [this] { inputSources_.refresh(); });
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(refreshButton);
    buttonRow->addStretch(1);
    layout->addLayout(buttonRow);
    return box;
}

QWidget* LanguagesTab::layoutRow(const InputSourceDescriptor& source) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 2, 0, 2);
    auto* icon = new QLabel;
    if (!source.isSupported) {
        icon->setPixmap(SymbolIcons::pixmap(Symbol::keyboardEllipsis, SymbolIcons::orange(), 22));
    } else if (source.isSelected) {
        icon->setPixmap(SymbolIcons::pixmap(Symbol::checkCircle, SymbolIcons::green(), 22));
    } else {
        icon->setPixmap(SymbolIcons::pixmap(Symbol::keyboard, SymbolIcons::secondary(), 22));
    }
    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    texts->addWidget(new QLabel(QString::fromStdString(source.name)));
    texts->addWidget(
        FormParts::note(source.isSupported ? joined(source.languages) : reasonOf(source),
                        FormParts::TextSize::caption));
    layout->addWidget(icon, 0, Qt::AlignVCenter);
    layout->addLayout(texts, 1);
    return row;
}

}  // namespace plovik::ui
