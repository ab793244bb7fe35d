#include "core/capture/KeyCombination.h"

#include <array>
#include <cstdint>
#include <utility>

namespace plovik {

namespace {

// Stored shortcuts keep the key numbers of the settings format; these are their keys.
constexpr std::array<std::pair<std::uint16_t, Key>, 74> kStoredKeys{{
    {0, Key::a},
    {1, Key::s},
    {2, Key::d},
    {3, Key::f},
    {4, Key::h},
    {5, Key::g},
    {6, Key::z},
    {7, Key::x},
    {8, Key::c},
    {9, Key::v},
    {11, Key::b},
    {12, Key::q},
    {13, Key::w},
    {14, Key::e},
    {15, Key::r},
    {16, Key::y},
    {17, Key::t},
    {18, Key::digit1},
    {19, Key::digit2},
    {20, Key::digit3},
    {21, Key::digit4},
    {22, Key::digit6},
    {23, Key::digit5},
    {24, Key::equal},
    {25, Key::digit9},
    {26, Key::digit7},
    {27, Key::minus},
    {28, Key::digit8},
    {29, Key::digit0},
    {30, Key::rightBrace},
    {31, Key::o},
    {32, Key::u},
    {33, Key::leftBrace},
    {34, Key::i},
    {35, Key::p},
    {36, Key::enter},
    {37, Key::l},
    {38, Key::j},
    {39, Key::apostrophe},
    {40, Key::k},
    {41, Key::semicolon},
    {42, Key::backslash},
    {43, Key::comma},
    {44, Key::slash},
    {45, Key::n},
    {46, Key::m},
    {47, Key::dot},
    {48, Key::tab},
    {49, Key::space},
    {50, Key::grave},
    {51, Key::backspace},
    {53, Key::escape},
    {76, Key::keypadEnter},
    {96, Key::f5},
    {97, Key::f6},
    {98, Key::f7},
    {99, Key::f3},
    {100, Key::f8},
    {101, Key::f9},
    {103, Key::f11},
    {109, Key::f10},
    {111, Key::f12},
    {115, Key::home},
    {116, Key::pageUp},
    {117, Key::deleteForward},
    {118, Key::f4},
    {119, Key::end},
    {120, Key::f2},
    {121, Key::pageDown},
    {122, Key::f1},
    {123, Key::left},
    {124, Key::right},
    {125, Key::down},
    {126, Key::up},
}};

Modifiers modifiersOf(std::uint64_t flags) {
    Modifiers modifiers;
    const auto add = [&](std::uint64_t bit, Modifier modifier) {
        if ((flags & bit) != 0) {
            modifiers |= modifier;
        }
    };
    add(ShortcutDefinition::kShift, Modifier::shift);
    add(ShortcutDefinition::kControl, Modifier::control);
    add(ShortcutDefinition::kOption, Modifier::alt);
    add(ShortcutDefinition::kCommand, Modifier::super);
    return modifiers;
}

}  // namespace

std::optional<KeyCombination> KeyCombination::fromShortcut(const ShortcutDefinition& shortcut) {
    for (const auto& [stored, key] : kStoredKeys) {
        if (stored == shortcut.keyCode) {
            return KeyCombination{key, modifiersOf(shortcut.modifiers)};
        }
    }
    return std::nullopt;
}

}  // namespace plovik
