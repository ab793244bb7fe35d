#include "core/capture/KeyPressText.h"

#include <algorithm>

namespace plovik {

namespace {

// Such presses are shortcuts of the application or the desktop, never text.
constexpr Modifiers kCommandModifiers = Modifier::control | Modifier::alt | Modifier::super;

}  // namespace

std::optional<std::string> KeyPressText::typedBy(Key key, Modifiers modifiers,
                                                 const std::optional<std::string>& characters) {
    if (isModifierKey(key)) {
        return std::string();
    }
    // AltGr may be reported as Alt together with level three: that is typing.
    const Modifiers command = modifiers.has(Modifier::levelThree)
                                  ? modifiers.without(Modifier::alt) & kCommandModifiers
                                  : modifiers & kCommandModifiers;
    if (!command.empty() || !characters || !isCharacterKey(key)) {
        return std::nullopt;
    }
    if (characters->empty() || isPrintable(*characters)) {
        return characters;
    }
    return std::nullopt;
}

bool KeyPressText::isModifierKey(Key key) {
    switch (key) {
        case Key::leftShift:
        case Key::rightShift:
        case Key::leftControl:
        case Key::rightControl:
        case Key::leftAlt:
        case Key::rightAlt:
        case Key::leftSuper:
        case Key::rightSuper:
        case Key::capsLock:
        case Key::numLock:
            return true;
        default:
            return false;
    }
}

bool KeyPressText::isCharacterKey(Key key) {
    const auto code = static_cast<unsigned>(key);
    const auto within = [code](Key first, Key last) {
        return code >= static_cast<unsigned>(first) && code <= static_cast<unsigned>(last);
    };
    return within(Key::digit1, Key::equal) || within(Key::q, Key::rightBrace) ||
           within(Key::a, Key::grave) || within(Key::backslash, Key::slash) || key == Key::space ||
           key == Key::iso102nd;
}

bool KeyPressText::isPrintable(const std::string& characters) {
    return std::none_of(characters.begin(), characters.end(), [](char byte) {
        const auto value = static_cast<unsigned char>(byte);
        return value < 0x20 || value == 0x7f;
    });
}

}  // namespace plovik
