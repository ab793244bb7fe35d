#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace plovik::ui {

// The small line symbols the windows show next to labels and states, drawn from our
// own outlines so that they look the same with every icon theme (or none).
enum class Symbol {
    keyboard,
    keyboardEllipsis,
    pauseCircle,
    gear,
    grid,
    book,
    hand,
    checkCircle,
    exclamationCircle,
    warningTriangle,
    speaker,
    application,
    applicationCheck,
    applicationDashed,
    minusCircle,
    lock,
    lockShield,
    checkShield,
    networkSlash,
    textCursor,
    textSpacing,
    drive,
    plus,
    minus,
};

class SymbolIcons {
  public:
    static QPixmap pixmap(Symbol symbol, const QColor& color, int size);
    static QIcon icon(Symbol symbol, const QColor& color);

    // The status colours of the windows.
    static QColor green() { return QColor(0x2e, 0x9d, 0x4a); }
    static QColor orange() { return QColor(0xd9, 0x74, 0x1c); }
    static QColor secondary();
    static QColor accent();

    // The tray and window icons: an active and a paused keyboard.
    static QIcon activeIcon();
    static QIcon pausedIcon();
};

}  // namespace plovik::ui
