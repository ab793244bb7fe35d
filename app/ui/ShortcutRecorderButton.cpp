#include "app/ui/ShortcutRecorderButton.h"

#include <QApplication>
#include <QKeyEvent>

#include "app/ui/KeyEventShortcut.h"
#include "app/ui/ShortcutText.h"

namespace plovik::ui {

ShortcutRecorderButton::ShortcutRecorderButton(QWidget* parent) : QPushButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAutoDefault(false);
}

void ShortcutRecorderButton::showShortcut(const ShortcutDefinition& shortcut) {
    if (!isRecording_) {
        setText(QString::fromStdString(ShortcutText::displayText(shortcut)));
    }
}

void ShortcutRecorderButton::startRecording() {
    isRecording_ = true;
    setText(QStringLiteral("Type shortcut…"));
    setFocus(Qt::MouseFocusReason);
}

void ShortcutRecorderButton::mousePressEvent(QMouseEvent* event) {
    QPushButton::mousePressEvent(event);
    startRecording();
}

// Tab, Backtab and Escape would otherwise move the focus or close the window
// before the recorder sees them.
bool ShortcutRecorderButton::event(QEvent* event) {
    if (isRecording_ &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        keyPressEvent(keyEvent);
        return true;
    }
    return QPushButton::event(event);
}

void ShortcutRecorderButton::keyPressEvent(QKeyEvent* event) {
    if (!isRecording_) {
        QPushButton::keyPressEvent(event);
        return;
    }
    event->accept();
    const auto result = KeyEventShortcut::fromKeyEvent(
        *event, QGuiApplication::platformName() == QStringLiteral("xcb"));
    switch (result.kind) {
        case KeyEventShortcut::Kind::modifierOnly:
            return;
        case KeyEventShortcut::Kind::refused:
            ++refusedKeyCount_;
            QApplication::beep();
            return;
        case KeyEventShortcut::Kind::recorded:
            break;
    }
    isRecording_ = false;
    if (onRecord_) {
        onRecord_(*result.shortcut);
    }
    setText(QString::fromStdString(ShortcutText::displayText(*result.shortcut)));
    clearFocus();
}

void ShortcutRecorderButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    if (isRecording_) {
        isRecording_ = false;
        emit recordingCancelled();
    }
}

}  // namespace plovik::ui
