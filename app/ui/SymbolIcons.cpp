#include "app/ui/SymbolIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QSvgRenderer>

// Resources of a static library are registered by hand.
static void registerIcons() {
    Q_INIT_RESOURCE(icons);
}

namespace plovik::ui {

namespace {

QIcon resourceIcon(const QString& path) {
    static const bool registered = (registerIcons(), true);
    (void)registered;
    return QIcon(path);
}

// Outlines on a 24-unit grid; "C" stands for the colour the symbol is drawn in.
const char* outline(Symbol symbol) {
    switch (symbol) {
        case Symbol::keyboard:
            return R"(<rect x="2" y="5" width="20" height="14" rx="2.5" fill="none" stroke="C" stroke-width="1.8"/>
<g fill="C"><rect x="5" y="8" width="2" height="2"/><rect x="9" y="8" width="2" height="2"/><rect x="13" y="8" width="2" height="2"/><rect x="17" y="8" width="2" height="2"/><rect x="5" y="11.5" width="2" height="2"/><rect x="9" y="11.5" width="2" height="2"/><rect x="13" y="11.5" width="2" height="2"/><rect x="17" y="11.5" width="2" height="2"/><rect x="7.5" y="15" width="9" height="1.8"/></g>)";
        case Symbol::keyboardEllipsis:
            return R"(<rect x="2" y="4" width="17" height="12" rx="2.2" fill="none" stroke="C" stroke-width="1.8"/>
<g fill="C"><rect x="5" y="7" width="2" height="2"/><rect x="9" y="7" width="2" height="2"/><rect x="13" y="7" width="2" height="2"/><rect x="6.5" y="11.5" width="8" height="1.8"/>
<circle cx="15" cy="20.5" r="1.4"/><circle cx="19" cy="20.5" r="1.4"/><circle cx="23" cy="20.5" r="1.0"/></g>)";
        case Symbol::pauseCircle:
            return R"(<circle cx="12" cy="12" r="10" fill="C"/><rect x="8.5" y="7.5" width="2.4" height="9" rx="0.8" fill="white"/><rect x="13.1" y="7.5" width="2.4" height="9" rx="0.8" fill="white"/>)";
        case Symbol::gear:
            return R"(<g fill="none" stroke="C" stroke-width="1.8" stroke-linecap="round"><circle cx="12" cy="12" r="3.2"/>
<path d="M12 2.5v3M12 18.5v3M2.5 12h3M18.5 12h3M5.3 5.3l2.1 2.1M16.6 16.6l2.1 2.1M5.3 18.7l2.1-2.1M16.6 7.4l2.1-2.1"/><circle cx="12" cy="12" r="6.8"/></g>)";
        case Symbol::grid:
            return R"(<g fill="none" stroke="C" stroke-width="1.8"><rect x="3" y="3" width="7.5" height="7.5" rx="1.8"/><rect x="13.5" y="3" width="7.5" height="7.5" rx="1.8"/><rect x="3" y="13.5" width="7.5" height="7.5" rx="1.8"/><rect x="13.5" y="13.5" width="7.5" height="7.5" rx="1.8"/></g>)";
        case Symbol::book:
            return R"(<g fill="none" stroke="C" stroke-width="1.8" stroke-linejoin="round"><path d="M4 4.5h10.5a3 3 0 0 1 3 3V21H7a3 3 0 0 1-3-3z"/><path d="M4 18a3 3 0 0 1 3-3h10.5"/></g>
<text x="10.8" y="12.6" font-family="sans-serif" font-size="7.5" font-weight="bold" text-anchor="middle" fill="C">Aa</text>)";
        case Symbol::hand:
            return R"(<path fill="C" d="M8 11V4.8a1.4 1.4 0 0 1 2.8 0V10h.4V3.4a1.4 1.4 0 0 1 2.8 0V10h.4V4.6a1.4 1.4 0 0 1 2.8 0V11h.3V7.4a1.4 1.4 0 0 1 2.8 0v7.1c0 4.3-2.9 7.5-7 7.5-3 0-4.6-1.3-6.2-3.7l-3-4.6a1.4 1.4 0 0 1 2.3-1.6z"/>)";
        case Symbol::checkCircle:
            return R"(<circle cx="12" cy="12" r="10" fill="C"/><path d="M7.2 12.4l3.1 3.1 6.5-6.6" fill="none" stroke="white" stroke-width="2.3" stroke-linecap="round" stroke-linejoin="round"/>)";
        case Symbol::exclamationCircle:
            return R"(<circle cx="12" cy="12" r="10" fill="C"/><rect x="10.8" y="6" width="2.4" height="8" rx="1.2" fill="white"/><circle cx="12" cy="17.3" r="1.4" fill="white"/>)";
        case Symbol::warningTriangle:
            return R"(<path d="M12 3.2L22 20.5H2z" fill="none" stroke="C" stroke-width="1.9" stroke-linejoin="round"/><rect x="11" y="9" width="2" height="6" rx="1" fill="C"/><circle cx="12" cy="17.5" r="1.2" fill="C"/>)";
        case Symbol::speaker:
            return R"(<path d="M3 9h4l5-4.5v15L7 15H3z" fill="C"/><g fill="none" stroke="C" stroke-width="1.8" stroke-linecap="round"><path d="M15.5 8.5a5 5 0 0 1 0 7"/><path d="M18.3 5.7a9 9 0 0 1 0 12.6"/></g>)";
        case Symbol::application:
            return R"(<rect x="3" y="3" width="18" height="18" rx="4.5" fill="C"/><rect x="7" y="7" width="10" height="10" rx="2.5" fill="white" opacity="0.45"/>)";
        case Symbol::applicationCheck:
            return R"(<rect x="2" y="4" width="16" height="16" rx="4" fill="none" stroke="C" stroke-width="1.8"/><circle cx="18" cy="6" r="5" fill="C"/><path d="M15.6 6.1l1.6 1.6 3.2-3.3" fill="none" stroke="white" stroke-width="1.6" stroke-linecap="round" stroke-linejoin="round"/>)";
        case Symbol::applicationDashed:
            return R"(<rect x="3" y="3" width="18" height="18" rx="4.5" fill="none" stroke="C" stroke-width="1.8" stroke-dasharray="3 2.4"/>)";
        case Symbol::minusCircle:
            return R"(<circle cx="12" cy="12" r="10" fill="C"/><rect x="7" y="10.8" width="10" height="2.4" rx="1.2" fill="white"/>)";
        case Symbol::lock:
            return R"(<rect x="4.5" y="10.5" width="15" height="10.5" rx="2.2" fill="C"/><path d="M8 10.5V7.5a4 4 0 0 1 8 0v3" fill="none" stroke="C" stroke-width="1.9"/>)";
        case Symbol::lockShield:
            return R"(<path d="M12 2.5l8 3v6c0 5-3.4 8.6-8 10-4.6-1.4-8-5-8-10v-6z" fill="none" stroke="C" stroke-width="1.8" stroke-linejoin="round"/><rect x="8.8" y="11" width="6.4" height="5" rx="1" fill="C"/><path d="M10.2 11V9.4a1.8 1.8 0 0 1 3.6 0V11" fill="none" stroke="C" stroke-width="1.5"/>)";
        case Symbol::checkShield:
            return R"(<path d="M12 2.5l8 3v6c0 5-3.4 8.6-8 10-4.6-1.4-8-5-8-10v-6z" fill="none" stroke="C" stroke-width="1.8" stroke-linejoin="round"/><path d="M8.3 12l2.6 2.6 4.9-5" fill="none" stroke="C" stroke-width="1.9" stroke-linecap="round" stroke-linejoin="round"/>)";
        case Symbol::networkSlash:
            return R"(<g fill="none" stroke="C" stroke-width="1.8" stroke-linecap="round"><circle cx="12" cy="12" r="9"/><path d="M3 12h18M12 3c2.8 3 2.8 15 0 18M12 3c-2.8 3-2.8 15 0 18"/><path d="M4 4l16 16" stroke-width="2.2"/></g>)";
        case Symbol::textCursor:
            return R"(<text x="8" y="17" font-family="sans-serif" font-size="13" font-weight="bold" text-anchor="middle" fill="C">A</text><path d="M17 4v16M15 4h4M15 20h4" fill="none" stroke="C" stroke-width="1.7" stroke-linecap="round"/>)";
        case Symbol::textSpacing:
            return R"(<g fill="none" stroke="C" stroke-width="1.8" stroke-linecap="round"><path d="M3 7h7M14 7h7M3 12h4M11 12h10M3 17h11M18 17h3"/></g>)";
        case Symbol::drive:
            return R"(<rect x="2.5" y="7" width="19" height="10" rx="2.5" fill="none" stroke="C" stroke-width="1.8"/><circle cx="17.5" cy="12" r="1.3" fill="C"/><path d="M6 12h6" stroke="C" stroke-width="1.8" stroke-linecap="round"/>)";
        case Symbol::plus:
            return R"(<path d="M12 5v14M5 12h14" fill="none" stroke="C" stroke-width="2" stroke-linecap="round"/>)";
        case Symbol::minus:
            return R"(<path d="M5 12h14" fill="none" stroke="C" stroke-width="2" stroke-linecap="round"/>)";
    }
    return "";
}

QPixmap render(const QByteArray& svg, int size, qreal ratio) {
    QSvgRenderer renderer(svg);
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

qreal deviceRatio() {
    return qApp ? qApp->devicePixelRatio() : 1.0;
}

}  // namespace

QPixmap SymbolIcons::pixmap(Symbol symbol, const QColor& color, int size) {
    QByteArray body(outline(symbol));
    body.replace("\"C\"", ("\"" + color.name(QColor::HexRgb) + "\"").toLatin1());
    const QByteArray svg =
        R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 24 24">)" + body + "</svg>";
    return render(svg, size, deviceRatio());
}

QIcon SymbolIcons::icon(Symbol symbol, const QColor& color) {
    QIcon icon;
    for (const int size : {16, 20, 24, 32, 48}) {
        icon.addPixmap(pixmap(symbol, color, size));
    }
    return icon;
}

QColor SymbolIcons::secondary() {
    // Between text and background, readable on light and dark themes alike.
    const auto palette = QApplication::palette();
    const auto text = palette.color(QPalette::WindowText);
    const auto window = palette.color(QPalette::Window);
    const auto mix = [](int a, int b) { return (a * 11 + b * 9) / 20; };
    return QColor(mix(text.red(), window.red()), mix(text.green(), window.green()),
                  mix(text.blue(), window.blue()));
}

QColor SymbolIcons::accent() {
    return QApplication::palette().color(QPalette::Highlight);
}

QIcon SymbolIcons::activeIcon() {
    return resourceIcon(QStringLiteral(":/icons/plovik-active.svg"));
}

QIcon SymbolIcons::pausedIcon() {
    return resourceIcon(QStringLiteral(":/icons/plovik-paused.svg"));
}

}  // namespace plovik::ui
