#include "app/ui/KeyEventShortcut.h"

#include <array>
#include <utility>

namespace plovik::ui {

namespace {

constexpr std::array<Key, 26> kLetters{Key::a, Key::b, Key::c, Key::d, Key::e, Key::f, Key::g,
                                       Key::h, Key::i, Key::j, Key::k, Key::l, Key::m, Key::n,
                                       Key::o, Key::p, Key::q, Key::r, Key::s, Key::t, Key::u,
                                       Key::v, Key::w, Key::x, Key::y, Key::z};
constexpr std::array<Key, 10> kDigits{Key::digit0, Key::digit1, Key::digit2, Key::digit3,
                                      Key::digit4, Key::digit5, Key::digit6, Key::digit7,
                                      Key::digit8, Key::digit9};

constexpr std::array<std::pair<int, Key>, 31> kNamedKeys{{
    {Qt::Key_Space, Key::space},
    {Qt::Key_Return, Key::enter},
    {Qt::Key_Enter, Key::keypadEnter},
    {Qt::Key_Tab, Key::tab},
    {Qt::Key_Backtab, Key::tab},
    {Qt::Key_Backspace, Key::backspace},
    {Qt::Key_Escape, Key::escape},
    {Qt::Key_Left, Key::left},
    {Qt::Key_Right, Key::right},
    {Qt::Key_Down, Key::down},
    {Qt::Key_Up, Key::up},
    {Qt::Key_Home, Key::home},
    {Qt::Key_End, Key::end},
    {Qt::Key_PageUp, Key::pageUp},
    {Qt::Key_PageDown, Key::pageDown},
    {Qt::Key_Delete, Key::deleteForward},
    {Qt::Key_Minus, Key::minus},
    {Qt::Key_Equal, Key::equal},
    {Qt::Key_BracketLeft, Key::leftBrace},
    {Qt::Key_BracketRight, Key::rightBrace},
    {Qt::Key_Semicolon, Key::semicolon},
    {Qt::Key_Apostrophe, Key::apostrophe},
    {Qt::Key_QuoteLeft, Key::grave},
    {Qt::Key_Backslash, Key::backslash},
    {Qt::Key_Comma, Key::comma},
    {Qt::Key_Period, Key::dot},
    {Qt::Key_Slash, Key::slash},
    {Qt::Key_F1, Key::f1},
    {Qt::Key_F2, Key::f2},
    {Qt::Key_F3, Key::f3},
    {Qt::Key_F4, Key::f4},
}};

bool isModifierKey(int key) {
    switch (key) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_Hyper_L:
        case Qt::Key_Hyper_R:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
            return true;
        default:
            return false;
    }
}

}  // namespace

Modifiers KeyEventShortcut::modifiersOf(Qt::KeyboardModifiers modifiers) {
    Modifiers result;
    if (modifiers & Qt::ShiftModifier) {
        result |= Modifier::shift;
    }
    if (modifiers & Qt::ControlModifier) {
        result |= Modifier::control;
    }
    if (modifiers & Qt::AltModifier) {
        result |= Modifier::alt;
    }
    if (modifiers & Qt::MetaModifier) {
        result |= Modifier::super;
    }
    return result;
}

std::optional<Key> KeyEventShortcut::keyOf(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        return kLetters[static_cast<std::size_t>(qtKey - Qt::Key_A)];
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        return kDigits[static_cast<std::size_t>(qtKey - Qt::Key_0)];
    }
    for (const auto& [candidate, key] : kNamedKeys) {
        if (candidate == qtKey) {
            return key;
        }
    }
    return std::nullopt;
}

KeyEventShortcut::Result KeyEventShortcut::fromKeyEvent(const QKeyEvent& event,
                                                        bool scanCodeIsX11Keycode) {
    if (isModifierKey(event.key())) {
        return {Kind::modifierOnly, std::nullopt};
    }
    const auto modifiers = modifiersOf(event.modifiers());
    std::optional<Key> key;
    if (scanCodeIsX11Keycode && event.nativeScanCode() > kXKeycodeOffset) {
        key = static_cast<Key>(event.nativeScanCode() - kXKeycodeOffset);
    } else {
        key = keyOf(event.key());
    }
    if (modifiers.empty() || !key) {
        return {Kind::refused, std::nullopt};
    }
    const ShortcutDefinition shortcut(*key, modifiers);
    // A key the settings document has no number for cannot be stored.
    if (!shortcut.key()) {
        return {Kind::refused, std::nullopt};
    }
    return {Kind::recorded, shortcut};
}

}  // namespace plovik::ui
