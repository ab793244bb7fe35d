#include "app/ui/ShortcutText.h"

#include <array>
#include <utility>

namespace plovik::ui {

namespace {

constexpr std::array<std::pair<std::uint16_t, const char*>, 35> kKeyNames{{
    {36, "Enter"}, {48, "Tab"}, {49, "Space"}, {51, "Backspace"}, {53, "Esc"}, {123, "←"},
    {124, "→"},    {125, "↓"},  {126, "↑"},    {0, "A"},          {1, "S"},    {2, "D"},
    {3, "F"},      {4, "H"},    {5, "G"},      {6, "Z"},          {7, "X"},    {8, "C"},
    {9, "V"},      {11, "B"},   {12, "Q"},     {13, "W"},         {14, "E"},   {15, "R"},
    {16, "Y"},     {17, "T"},   {31, "O"},     {32, "U"},         {34, "I"},   {35, "P"},
    {37, "L"},     {38, "J"},   {40, "K"},     {45, "N"},         {46, "M"},
}};

}  // namespace

std::string ShortcutText::keyName(std::uint16_t keyCode) {
    for (const auto& [code, name] : kKeyNames) {
        if (code == keyCode) {
            return name;
        }
    }
    return "Key " + std::to_string(keyCode);
}

std::string ShortcutText::displayText(const ShortcutDefinition& shortcut) {
    std::string text;
    const auto add = [&](std::uint64_t flag, const char* name) {
        if ((shortcut.modifiers & flag) != 0) {
            text += name;
        }
    };
    add(ShortcutDefinition::kControl, "Ctrl+");
    add(ShortcutDefinition::kOption, "Alt+");
    add(ShortcutDefinition::kShift, "Shift+");
    add(ShortcutDefinition::kCommand, "Super+");
    return text + keyName(shortcut.keyCode);
}

}  // namespace plovik::ui
