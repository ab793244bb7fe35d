#include "app/ui/PermissionRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/FormParts.h"

namespace plovik::ui {

PermissionRow::PermissionRow(const QString& title, const QString& detail,
                             std::function<void()> request, std::function<void()> openSettings,
                             QWidget* parent)
    : QWidget(parent), request_(std::move(request)), openSettings_(std::move(openSettings)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    auto* top = new QHBoxLayout;
    top->setSpacing(12);
    icon_ = new QLabel;
    icon_->setFixedSize(26, 26);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* titleLabel = new QLabel(title);
    FormParts::setPointSizeDelta(titleLabel, 0, true);
    texts->addWidget(titleLabel);
    if (!detail.isEmpty()) {
        texts->addWidget(FormParts::note(detail, FormParts::TextSize::body));
    }
    state_ = new QLabel;
    FormParts::setPointSizeDelta(state_, -1.5, true);
    texts->addWidget(state_);
    top->addWidget(icon_, 0, Qt::AlignTop);
    top->addLayout(texts, 1);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    button_ = new QPushButton;
    connect(button_, &QPushButton::clicked, this, [this] {
        const auto& action = granted_ ? openSettings_ : request_;
        if (action) {
            action();
        }
    });
    buttons->addWidget(button_);
    buttons->addStretch(1);

    column->addLayout(top);
    column->addLayout(buttons);
    setGranted(false);
}

QString PermissionRow::stateText() const {
    return state_->text();
}

void PermissionRow::setGranted(bool granted) {
    granted_ = granted;
    const auto color = granted ? SymbolIcons::green() : SymbolIcons::orange();
    icon_->setPixmap(
        SymbolIcons::pixmap(granted ? Symbol::checkCircle : Symbol::exclamationCircle, color, 26));
    state_->setText(granted ? QStringLiteral("Granted") : QStringLiteral("Required"));
    FormParts::setTextColor(state_, color);
    button_->setText(QString::fromUtf8(granted ? kOpenSettingsLabel : kRequestLabel));
    // The request is the one step the user still has to take: make it the prominent one.
    button_->setDefault(!granted);
    button_->setAutoDefault(false);
}

}  // namespace plovik::ui
