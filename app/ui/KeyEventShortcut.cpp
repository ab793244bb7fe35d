#include "app/ui/KeyEventShortcut.h"

#include <array>
#include <utility>

namespace plovik::ui {

namespace {

// Stored key codes follow the US key positions of the settings document.
constexpr std::array<std::uint16_t, 26> kLetterCodes{
    0, 11, 8, 2, 14, 3, 5, 4, 34, 38, 40, 37, 46, 45, 31, 35, 12, 15, 1, 17, 32, 9, 13, 7, 16, 6};
constexpr std::array<std::uint16_t, 10> kDigitCodes{29, 18, 19, 20, 21, 23, 22, 26, 28, 25};

constexpr std::array<std::pair<int, std::uint16_t>, 11> kNamedKeys{{
    {Qt::Key_Space, 49},
    {Qt::Key_Return, 36},
    {Qt::Key_Enter, 36},
    {Qt::Key_Tab, 48},
    {Qt::Key_Backtab, 48},
    {Qt::Key_Backspace, 51},
    {Qt::Key_Escape, 53},
    {Qt::Key_Left, 123},
    {Qt::Key_Right, 124},
    {Qt::Key_Down, 125},
    {Qt::Key_Up, 126},
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

std::uint64_t KeyEventShortcut::modifiersOf(Qt::KeyboardModifiers modifiers) {
    std::uint64_t flags = 0;
    if (modifiers & Qt::ShiftModifier) {
        flags |= ShortcutDefinition::kShift;
    }
    if (modifiers & Qt::ControlModifier) {
        flags |= ShortcutDefinition::kControl;
    }
    if (modifiers & Qt::AltModifier) {
        flags |= ShortcutDefinition::kOption;
    }
    if (modifiers & Qt::MetaModifier) {
        flags |= ShortcutDefinition::kCommand;
    }
    return flags;
}

std::optional<std::uint16_t> KeyEventShortcut::keyCodeOf(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        return kLetterCodes[static_cast<std::size_t>(qtKey - Qt::Key_A)];
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        return kDigitCodes[static_cast<std::size_t>(qtKey - Qt::Key_0)];
    }
    for (const auto& [key, code] : kNamedKeys) {
        if (key == qtKey) {
            return code;
        }
    }
    return std::nullopt;
}

KeyEventShortcut::Result KeyEventShortcut::fromKeyEvent(const QKeyEvent& event) {
    if (isModifierKey(event.key())) {
        return {Kind::modifierOnly, std::nullopt};
    }
    const auto modifiers = modifiersOf(event.modifiers());
    const auto keyCode = keyCodeOf(event.key());
    if (modifiers == 0 || !keyCode) {
        return {Kind::refused, std::nullopt};
    }
    return {Kind::recorded, ShortcutDefinition(*keyCode, modifiers)};
}

}  // namespace plovik::ui
