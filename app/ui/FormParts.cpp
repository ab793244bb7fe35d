#include "app/ui/FormParts.h"

#include <QHBoxLayout>

namespace plovik::ui {

QGroupBox* FormParts::section(const QString& title, QVBoxLayout** layout) {
    auto* box = new QGroupBox(title);
    // The title is bold; the contents keep the normal font.
    auto titleFont = box->font();
    titleFont.setBold(true);
    box->setFont(titleFont);
    auto* outer = new QVBoxLayout(box);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* contents = new QWidget;
    auto contentsFont = titleFont;
    contentsFont.setBold(false);
    contents->setFont(contentsFont);
    auto* inner = new QVBoxLayout(contents);
    inner->setSpacing(8);
    outer->addWidget(contents);
    if (layout) {
        *layout = inner;
    }
    return box;
}

QScrollArea* FormParts::scrollArea(QWidget* content) {
    auto* scroll = new QScrollArea;
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    return scroll;
}

void FormParts::fillWithScrolled(QWidget* owner, QWidget* content) {
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollArea(content));
}

QLabel* FormParts::note(const QString& text, TextSize size, bool secondary) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    switch (size) {
        case TextSize::body:
            break;
        case TextSize::callout:
            setPointSizeDelta(label, -0.5);
            break;
        case TextSize::caption:
            setPointSizeDelta(label, -1.5);
            break;
        case TextSize::smallCaption:
            setPointSizeDelta(label, -2);
            break;
    }
    if (secondary) {
        setTextColor(label, SymbolIcons::secondary());
    }
    return label;
}

QWidget* FormParts::symbolLabel(Symbol symbol, const QColor& symbolColor, const QString& text,
                                const QColor& textColor, int symbolSize) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto* icon = new QLabel;
    icon->setPixmap(SymbolIcons::pixmap(symbol, symbolColor, symbolSize));
    icon->setAlignment(Qt::AlignTop);
    auto* label = new QLabel(text);
    label->setObjectName(QStringLiteral("text"));
    label->setWordWrap(true);
    if (textColor.isValid()) {
        setTextColor(label, textColor);
    }
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addWidget(label, 1);
    return row;
}

void FormParts::setTextColor(QWidget* widget, const QColor& color) {
    auto palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

void FormParts::setPointSizeDelta(QWidget* widget, qreal delta, bool bold) {
    auto font = widget->font();
    font.setPointSizeF(std::max<qreal>(6.0, font.pointSizeF() + delta));
    font.setBold(bold);
    widget->setFont(font);
}

}  // namespace plovik::ui
