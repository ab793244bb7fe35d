#include "app/ui/ShortcutText.h"

#include <array>
#include <utility>

namespace plovik::ui {

namespace {

constexpr std::array<std::pair<Key, const char*>, 74> kKeyNames{{
    {Key::escape, "Esc"},
    {Key::digit1, "1"},
    {Key::digit2, "2"},
    {Key::digit3, "3"},
    {Key::digit4, "4"},
    {Key::digit5, "5"},
    {Key::digit6, "6"},
    {Key::digit7, "7"},
    {Key::digit8, "8"},
    {Key::digit9, "9"},
    {Key::digit0, "0"},
    {Key::minus, "-"},
    {Key::equal, "="},
    {Key::backspace, "Backspace"},
    {Key::tab, "Tab"},
    {Key::q, "Q"},
    {Key::w, "W"},
    {Key::e, "E"},
    {Key::r, "R"},
    {Key::t, "T"},
    {Key::y, "Y"},
    {Key::u, "U"},
    {Key::i, "I"},
    {Key::o, "O"},
    {Key::p, "P"},
    {Key::leftBrace, "["},
    {Key::rightBrace, "]"},
    {Key::enter, "Enter"},
    {Key::a, "A"},
    {Key::s, "S"},
    {Key::d, "D"},
    {Key::f, "F"},
    {Key::g, "G"},
    {Key::h, "H"},
    {Key::j, "J"},
    {Key::k, "K"},
    {Key::l, "L"},
    {Key::semicolon, ";"},
    {Key::apostrophe, "'"},
    {Key::grave, "`"},
    {Key::backslash, "\\"},
    {Key::z, "Z"},
    {Key::x, "X"},
    {Key::c, "C"},
    {Key::v, "V"},
    {Key::b, "B"},
    {Key::n, "N"},
    {Key::m, "M"},
    {Key::comma, ","},
    {Key::dot, "."},
    {Key::slash, "/"},
    {Key::space, "Space"},
    {Key::f1, "F1"},
    {Key::f2, "F2"},
    {Key::f3, "F3"},
    {Key::f4, "F4"},
    {Key::f5, "F5"},
    {Key::f6, "F6"},
    {Key::f7, "F7"},
    {Key::f8, "F8"},
    {Key::f9, "F9"},
    {Key::f10, "F10"},
    {Key::f11, "F11"},
    {Key::f12, "F12"},
    {Key::keypadEnter, "Keypad Enter"},
    {Key::home, "Home"},
    {Key::up, "↑"},
    {Key::pageUp, "Page Up"},
    {Key::left, "←"},
    {Key::right, "→"},
    {Key::down, "↓"},
    {Key::end, "End"},
    {Key::pageDown, "Page Down"},
    {Key::deleteForward, "Delete"},
}};

}  // namespace

std::optional<std::string> ShortcutText::keyName(Key key) {
    for (const auto& [candidate, name] : kKeyNames) {
        if (candidate == key) {
            return name;
        }
    }
    return std::nullopt;
}

std::string ShortcutText::displayText(const ShortcutDefinition& shortcut) {
    std::string text;
    const auto held = shortcut.comparedModifiers();
    const auto add = [&](Modifier modifier, const char* name) {
        if (held.has(modifier)) {
            text += name;
        }
    };
    add(Modifier::control, "Ctrl+");
    add(Modifier::alt, "Alt+");
    add(Modifier::shift, "Shift+");
    add(Modifier::super, "Super+");
    const auto key = shortcut.key();
    const auto name = key ? keyName(*key) : std::nullopt;
    return text + (name ? *name : shortcut.keyDisplayName());
}

}  // namespace plovik::ui
