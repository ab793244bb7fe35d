#pragma once

#include <QColor>
#include <QGroupBox>
#include <QLabel>
#include <QScrollArea>
#include <QString>
#include <QVBoxLayout>

#include "app/ui/SymbolIcons.h"

namespace plovik::ui {

// The building blocks of the grouped forms in the settings and onboarding windows.
class FormParts {
  public:
    enum class TextSize { body, callout, caption, smallCaption };

    // A titled group; an empty title gives an untitled one.
    static QGroupBox* section(const QString& title, QVBoxLayout** layout);
    // Wrapped text in the given size, in the secondary colour unless told otherwise.
    static QLabel* note(const QString& text, TextSize size, bool secondary = true);
    // A symbol followed by text, both in one colour (the text colour when invalid).
    static QWidget* symbolLabel(Symbol symbol, const QColor& symbolColor, const QString& text,
                                const QColor& textColor = QColor(), int symbolSize = 16);
    // The content in a frameless area that scrolls when the window is too small for it.
    static QScrollArea* scrollArea(QWidget* content);
    // Fills the owner, edge to edge, with the content in such an area.
    static void fillWithScrolled(QWidget* owner, QWidget* content);
    static void setTextColor(QWidget* widget, const QColor& color);
    static void setPointSizeDelta(QWidget* widget, qreal delta, bool bold = false);
};

}  // namespace plovik::ui
