#include "core/capture/ShortcutDefinition.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

namespace plovik {
namespace {

// The stored key codes of the settings format and the keys they stand for.
constexpr auto kStoredKeys = std::to_array<std::pair<std::uint16_t, Key>>({
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
    {10, Key::iso102nd},
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
    {54, Key::rightSuper},
    {55, Key::leftSuper},
    {56, Key::leftShift},
    {57, Key::capsLock},
    {58, Key::leftAlt},
    {59, Key::leftControl},
    {60, Key::rightShift},
    {61, Key::rightAlt},
    {62, Key::rightControl},
    {64, Key::f17},
    {65, Key::keypadDot},
    {67, Key::keypadAsterisk},
    {69, Key::keypadPlus},
    {71, Key::numLock},
    {72, Key::volumeUp},
    {73, Key::volumeDown},
    {74, Key::mute},
    {75, Key::keypadSlash},
    {76, Key::keypadEnter},
    {78, Key::keypadMinus},
    {79, Key::f18},
    {80, Key::f19},
    {81, Key::keypadEqual},
    {82, Key::keypad0},
    {83, Key::keypad1},
    {84, Key::keypad2},
    {85, Key::keypad3},
    {86, Key::keypad4},
    {87, Key::keypad5},
    {88, Key::keypad6},
    {89, Key::keypad7},
    {90, Key::f20},
    {91, Key::keypad8},
    {92, Key::keypad9},
    {96, Key::f5},
    {97, Key::f6},
    {98, Key::f7},
    {99, Key::f3},
    {100, Key::f8},
    {101, Key::f9},
    {103, Key::f11},
    {105, Key::f13},
    {106, Key::f16},
    {107, Key::f14},
    {109, Key::f10},
    {111, Key::f12},
    {113, Key::f15},
    {114, Key::insert},
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
});

// The stored modifier bits and the modifiers they stand for.
constexpr auto kStoredModifiers = std::to_array<std::pair<std::uint64_t, Modifier>>({
    {0x10000, Modifier::capsLock},
    {0x20000, Modifier::shift},
    {0x40000, Modifier::control},
    {0x80000, Modifier::alt},
    {0x100000, Modifier::super},
});

constexpr auto kDisplayNames = std::to_array<std::pair<Key, const char*>>({
    {Key::enter, "↩"},    {Key::tab, "⇥"},  {Key::space, "Space"}, {Key::backspace, "⌫"},
    {Key::escape, "Esc"}, {Key::left, "←"}, {Key::right, "→"},     {Key::down, "↓"},
    {Key::up, "↑"},       {Key::a, "A"},    {Key::s, "S"},         {Key::d, "D"},
    {Key::f, "F"},        {Key::h, "H"},    {Key::g, "G"},         {Key::z, "Z"},
    {Key::x, "X"},        {Key::c, "C"},    {Key::v, "V"},         {Key::b, "B"},
    {Key::q, "Q"},        {Key::w, "W"},    {Key::e, "E"},         {Key::r, "R"},
    {Key::y, "Y"},        {Key::t, "T"},    {Key::o, "O"},         {Key::u, "U"},
    {Key::i, "I"},        {Key::p, "P"},    {Key::l, "L"},         {Key::j, "J"},
    {Key::k, "K"},        {Key::n, "N"},    {Key::m, "M"},
});

constexpr std::uint16_t kNoStoredCode = std::numeric_limits<std::uint16_t>::max();

// Indexed by evdev code, so that matching a press costs no search.
constexpr auto kStoredCodeOfKey = [] {
    std::array<std::uint16_t, 256> codes{};
    codes.fill(kNoStoredCode);
    for (const auto& [stored, key] : kStoredKeys) {
        codes[evdevCode(key)] = stored;
    }
    return codes;
}();

std::uint16_t storedKeyCode(Key key) {
    const std::uint16_t code = evdevCode(key);
    return code < kStoredCodeOfKey.size() ? kStoredCodeOfKey[code] : kNoStoredCode;
}

std::uint64_t storedBits(Modifiers modifiers) {
    std::uint64_t bits = 0;
    for (const auto& [bit, modifier] : kStoredModifiers) {
        bits |= modifiers.has(modifier) ? bit : 0;
    }
    return bits;
}

// A whole number that is not negative. Parsed documents hold such numbers unsigned,
// documents built in code hold them signed, and JSON has one kind of number, so 49.0 is
// the key code 49 too.
std::optional<std::uint64_t> wholeNumber(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end()) {
        return std::nullopt;
    }
    if (found->is_number_unsigned()) {
        return found->get<std::uint64_t>();
    }
    if (found->is_number_integer()) {
        const auto value = found->get<std::int64_t>();
        return value < 0 ? std::nullopt : std::optional<std::uint64_t>(value);
    }
    if (!found->is_number_float()) {
        return std::nullopt;
    }
    const double value = found->get<double>();
    // 2^64 is the first double beyond every 64-bit value.
    constexpr double kBeyondUnsigned64 = 18446744073709551616.0;
    if (!(value >= 0.0) || value >= kBeyondUnsigned64 || std::floor(value) != value) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(value);
}

}  // namespace

ShortcutDefinition::ShortcutDefinition(Key key, Modifiers modifiers)
    : storedKeyCode_(storedKeyCode(key)), storedModifiers_(storedBits(modifiers)) {}

std::optional<Key> ShortcutDefinition::key() const {
    const auto found =
        std::find_if(kStoredKeys.begin(), kStoredKeys.end(),
                     [this](const auto& entry) { return entry.first == storedKeyCode_; });
    return found == kStoredKeys.end() ? std::nullopt : std::optional(found->second);
}

std::optional<Modifiers> ShortcutDefinition::modifiers() const {
    Modifiers modifiers;
    std::uint64_t known = 0;
    for (const auto& [bit, modifier] : kStoredModifiers) {
        if ((storedModifiers_ & bit) != 0) {
            modifiers |= modifier;
            known |= bit;
        }
    }
    return known == storedModifiers_ ? std::optional(modifiers) : std::nullopt;
}

Modifiers ShortcutDefinition::comparedModifiers() const {
    Modifiers modifiers;
    for (const auto& [bit, modifier] : kStoredModifiers) {
        if ((storedModifiers_ & bit) != 0) {
            modifiers |= modifier;
        }
    }
    return modifiers & kComparedModifiers;
}

bool ShortcutDefinition::matches(Key pressedKey, Modifiers pressedModifiers) const {
    // Caps Lock is stored but never compared, so a shortcut holding it never matches.
    const std::uint16_t pressedCode = storedKeyCode(pressedKey);
    return pressedCode != kNoStoredCode && storedKeyCode_ == pressedCode &&
           storedModifiers_ == storedBits(pressedModifiers & kComparedModifiers);
}

std::optional<std::string> ShortcutDefinition::displayName(Key key) {
    const auto found = std::find_if(kDisplayNames.begin(), kDisplayNames.end(),
                                    [key](const auto& entry) { return entry.first == key; });
    return found == kDisplayNames.end() ? std::nullopt : std::optional<std::string>(found->second);
}

std::string ShortcutDefinition::keyDisplayName() const {
    const auto pressed = key();
    auto name = pressed ? displayName(*pressed) : std::nullopt;
    return name ? *name : "Key " + std::to_string(storedKeyCode_);
}

nlohmann::json ShortcutDefinition::toJson() const {
    return nlohmann::json{{"keyCode", storedKeyCode_}, {"modifiers", storedModifiers_}};
}

std::optional<ShortcutDefinition> ShortcutDefinition::fromJson(const nlohmann::json& json) {
    if (!json.is_object()) {
        return std::nullopt;
    }
    const auto keyCode = wholeNumber(json, "keyCode");
    const auto modifiers = wholeNumber(json, "modifiers");
    if (!keyCode || !modifiers || *keyCode > std::numeric_limits<std::uint16_t>::max()) {
        return std::nullopt;
    }
    return ShortcutDefinition(static_cast<std::uint16_t>(*keyCode), *modifiers);
}

}  // namespace plovik
