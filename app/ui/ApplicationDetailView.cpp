#include "app/ui/ApplicationDetailView.h"

#include <QHBoxLayout>
#include <QLocale>
#include <QSignalBlocker>
#include <cmath>

#include "app/ui/FormParts.h"
#include "core/replacement/ApplicationTraits.h"

namespace plovik::ui {

ApplicationDetailView::ApplicationDetailView(SettingsStore& store, QWidget* parent)
    : QWidget(parent), store_(store) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);

    QVBoxLayout* headerLayout = nullptr;
    auto* header = FormParts::section(QString(), &headerLayout);
    name_ = new QLabel;
    FormParts::setPointSizeDelta(name_, 4, true);
    identifier_ = new QLabel;
    identifier_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FormParts::setPointSizeDelta(identifier_, -1.5);
    FormParts::setTextColor(identifier_, SymbolIcons::secondary());
    headerLayout->addWidget(name_);
    headerLayout->addWidget(identifier_);

    QVBoxLayout* limitationLayout = nullptr;
    limitationSection_ = FormParts::section(QString(), &limitationLayout);
    auto* limitationRow = new QHBoxLayout;
    auto* warning = new QLabel;
    warning->setPixmap(SymbolIcons::pixmap(Symbol::warningTriangle, SymbolIcons::orange(), 16));
    warning->setAlignment(Qt::AlignTop);
    limitation_ = FormParts::note(QString(), FormParts::TextSize::callout, false);
    limitation_->setObjectName(QStringLiteral("limitation"));
    limitationRow->addWidget(warning);
    limitationRow->addWidget(limitation_, 1);
    limitationLayout->addLayout(limitationRow);

    QVBoxLayout* processing = nullptr;
    auto* section = FormParts::section(QStringLiteral("Processing"), &processing);
    const auto toggle = [this, processing](const char* label, bool EnabledApplication::*member) {
        auto* box = new QCheckBox(QString::fromUtf8(label));
        connect(box, &QCheckBox::toggled, this, [this, member](bool on) {
            change([member, on](EnabledApplication& application) { application.*member = on; });
        });
        processing->addWidget(box);
        return box;
    };
    processText_ = toggle("Process text in this application", &EnabledApplication::isEnabled);
    automaticCorrection_ =
        toggle("Automatic correction", &EnabledApplication::automaticCorrectionEnabled);
    manualCorrection_ = toggle("Manual correction", &EnabledApplication::manualCorrectionEnabled);
    switchInputSource_ = toggle("Switch input source after correction",
                                &EnabledApplication::switchInputSourceAfterCorrection);

    thresholdBlock_ = new QWidget;
    auto* block = new QVBoxLayout(thresholdBlock_);
    block->setContentsMargins(0, 4, 0, 0);
    auto* caption = new QHBoxLayout;
    caption->addWidget(new QLabel(QStringLiteral("Confidence threshold")));
    caption->addStretch(1);
    thresholdValue_ = new QLabel;
    caption->addWidget(thresholdValue_);
    threshold_ = new QSlider(Qt::Horizontal);
    threshold_->setRange(50, 100);
    threshold_->setPageStep(5);
    connect(threshold_, &QSlider::valueChanged, this, [this](int position) {
        const double value = position / 100.0;
        thresholdValue_->setText(QLocale().toString(value, 'f', 2));
        change(
            [value](EnabledApplication& application) { application.confidenceThreshold = value; });
    });
    block->addLayout(caption);
    block->addWidget(threshold_);
    processing->addWidget(thresholdBlock_);

    QVBoxLayout* noteLayout = nullptr;
    auto* noteSection = FormParts::section(QString(), &noteLayout);
    noteLayout->addWidget(FormParts::note(
        QStringLiteral("Input from this app is handled only while it is frontmost. Secure and "
                       "password fields remain excluded."),
        FormParts::TextSize::callout));

    layout->addWidget(header);
    layout->addWidget(limitationSection_);
    layout->addWidget(section);
    layout->addWidget(noteSection);
    layout->addStretch(1);
}

void ApplicationDetailView::showApplication(const EnabledApplication& application) {
    application_ = application;
    refresh();
}

EnabledApplication ApplicationDetailView::current() const {
    for (const auto& entry : store_.settings().applications) {
        if (entry.bundleIdentifier == application_->bundleIdentifier) {
            return entry;
        }
    }
    return *application_;
}

void ApplicationDetailView::change(const std::function<void(EnabledApplication&)>& edit) {
    if (!application_) {
        return;
    }
    auto entry = current();
    edit(entry);
    store_.updateApplication(entry);
    refresh();
}

void ApplicationDetailView::refresh() {
    if (!application_) {
        return;
    }
    const auto entry = current();
    name_->setText(QString::fromStdString(entry.displayName));
    identifier_->setText(QString::fromStdString(entry.bundleIdentifier));
    const auto limitation = ApplicationTraits::limitation(entry.bundleIdentifier);
    limitation_->setText(limitation ? QString::fromStdString(limitation->explanation) : QString());
    limitationSection_->setVisible(limitation.has_value());
    const auto set = [](QCheckBox* box, bool checked, bool enabled) {
        const QSignalBlocker blocker(box);
        box->setChecked(checked);
        box->setEnabled(enabled);
    };
    set(processText_, entry.isEnabled, true);
    set(automaticCorrection_, entry.automaticCorrectionEnabled, entry.isEnabled);
    set(manualCorrection_, entry.manualCorrectionEnabled, entry.isEnabled);
    set(switchInputSource_, entry.switchInputSourceAfterCorrection, entry.isEnabled);
    {
        const QSignalBlocker blocker(threshold_);
        threshold_->setValue(static_cast<int>(std::lround(entry.confidenceThreshold * 100.0)));
    }
    thresholdValue_->setText(QLocale().toString(entry.confidenceThreshold, 'f', 2));
    thresholdBlock_->setEnabled(entry.isEnabled && entry.automaticCorrectionEnabled);
}

}  // namespace plovik::ui
