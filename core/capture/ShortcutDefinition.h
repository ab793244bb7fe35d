#pragma once

#include <cstdint>
#include <optional>

#include <nlohmann/json.hpp>

namespace plovik {

// A global shortcut: a virtual key code and the exact modifier-flag mask it needs.
struct ShortcutDefinition {
    static constexpr std::uint64_t kShift = 0x20000;
    static constexpr std::uint64_t kControl = 0x40000;
    static constexpr std::uint64_t kOption = 0x80000;
    static constexpr std::uint64_t kCommand = 0x100000;

    std::uint16_t keyCode = 0;
    std::uint64_t modifiers = 0;

    ShortcutDefinition() = default;
    ShortcutDefinition(std::uint16_t keyCode, std::uint64_t modifiers)
        : keyCode(keyCode), modifiers(modifiers) {}

    static ShortcutDefinition optionSpace() { return {49, kOption}; }
    static ShortcutDefinition optionShiftSpace() { return {49, kOption | kShift}; }
    static ShortcutDefinition optionCommandP() { return {35, kOption | kCommand}; }

    // {"keyCode": …, "modifiers": …}; absent when a key is missing or out of range.
    nlohmann::json toJson() const;
    static std::optional<ShortcutDefinition> fromJson(const nlohmann::json& json);

    bool operator==(const ShortcutDefinition&) const = default;
};

}  // namespace plovik
