#include "app/ui/ApplicationRowWidget.h"

#include <QHBoxLayout>
#include <QLabel>

#include "app/ui/FormParts.h"
#include "core/replacement/ApplicationTraits.h"

namespace plovik::ui {

ApplicationRowWidget::Status ApplicationRowWidget::statusOf(const EnabledApplication& application) {
    if (!application.isEnabled) {
        return {QStringLiteral("Off"), static_cast<int>(Symbol::pauseCircle),
                SymbolIcons::secondary()};
    }
    if (application.automaticCorrectionEnabled) {
        return {QStringLiteral("On · Automatic"), static_cast<int>(Symbol::checkCircle),
                SymbolIcons::green()};
    }
    if (application.manualCorrectionEnabled) {
        return {QStringLiteral("On · Manual"), static_cast<int>(Symbol::hand),
                SymbolIcons::orange()};
    }
    return {QStringLiteral("Not processed"), static_cast<int>(Symbol::minusCircle),
            SymbolIcons::secondary()};
}

QPixmap ApplicationRowWidget::iconOf(const EnabledApplication& application, int size) {
    if (application.iconData) {
        QPixmap pixmap;
        const auto& bytes = *application.iconData;
        if (pixmap.loadFromData(bytes.data(), static_cast<uint>(bytes.size()), "PNG")) {
            return pixmap.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
    }
    return SymbolIcons::pixmap(Symbol::application, SymbolIcons::secondary(), size);
}

ApplicationRowWidget::ApplicationRowWidget(const EnabledApplication& application, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 12, 4);
    layout->setSpacing(8);

    auto* icon = new QLabel;
    icon->setPixmap(iconOf(application, 28));
    icon->setFixedSize(28, 28);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    auto* name = new QLabel(QString::fromStdString(application.displayName));
    auto* identifier = new QLabel(QString::fromStdString(application.bundleIdentifier));
    identifier->setObjectName(QStringLiteral("identifier"));
    FormParts::setPointSizeDelta(identifier, -2);
    FormParts::setTextColor(identifier, SymbolIcons::secondary());
    texts->addWidget(name);
    texts->addWidget(identifier);
    // Where corrections are known to fail or to be unsafe, the list says so at once.
    if (const auto limitation = ApplicationTraits::limitation(application.bundleIdentifier)) {
        auto* summary = new QLabel(QString::fromStdString(limitation->summary));
        summary->setObjectName(QStringLiteral("limitation"));
        summary->setToolTip(QString::fromStdString(limitation->explanation));
        FormParts::setPointSizeDelta(summary, -2);
        FormParts::setTextColor(summary, SymbolIcons::orange());
        texts->addWidget(summary);
    }

    const auto status = statusOf(application);
    auto* badge = new QWidget;
    badge->setObjectName(QStringLiteral("badge"));
    auto* badgeLayout = new QHBoxLayout(badge);
    badgeLayout->setContentsMargins(8, 4, 8, 4);
    badgeLayout->setSpacing(4);
    auto* badgeIcon = new QLabel;
    badgeIcon->setPixmap(SymbolIcons::pixmap(static_cast<Symbol>(status.symbol), status.color, 12));
    auto* badgeText = new QLabel(status.label);
    badgeText->setObjectName(QStringLiteral("status"));
    FormParts::setPointSizeDelta(badgeText, -1.5, true);
    FormParts::setTextColor(badgeText, status.color);
    badgeLayout->addWidget(badgeIcon);
    badgeLayout->addWidget(badgeText);
    auto background = status.color;
    background.setAlphaF(0.16f);
    badge->setAttribute(Qt::WA_StyledBackground);
    badge->setStyleSheet(QStringLiteral("#badge { background: %1; border-radius: 9px; }")
                             .arg(background.name(QColor::HexArgb)));

    layout->addWidget(icon);
    layout->addLayout(texts, 1);
    layout->addWidget(badge, 0, Qt::AlignVCenter);
}

}  // namespace plovik::ui
