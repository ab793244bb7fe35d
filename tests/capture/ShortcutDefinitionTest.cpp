#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/capture/ShortcutDefinition.h"

namespace plovik {
namespace {

using nlohmann::json;

TEST(ShortcutDefinition, ReadsEveryWholeNumberAndRefusesTheRest) {
    for (const auto& shortcut :
         {ShortcutDefinition::altSpace(), ShortcutDefinition::altShiftSpace(),
          ShortcutDefinition::altSuperP(), ShortcutDefinition()}) {
        EXPECT_EQ(ShortcutDefinition::fromJson(json::parse(shortcut.toJson().dump())), shortcut);
    }
    // A document built in code holds signed numbers where a parsed one holds unsigned.
    EXPECT_EQ(ShortcutDefinition::fromJson(json{{"keyCode", 49}, {"modifiers", 0x80000}}),
              ShortcutDefinition::altSpace());
    EXPECT_EQ(ShortcutDefinition::fromJson(json{{"keyCode", 65535}, {"modifiers", 0}}),
              ShortcutDefinition::fromStored(65535, 0));
    for (const json& bad :
         {json{{"keyCode", -1}, {"modifiers", 0}}, json{{"keyCode", 65536}, {"modifiers", 0}},
          json{{"keyCode", 49}, {"modifiers", -524288}}, json{{"keyCode", 49.5}, {"modifiers", 0}},
          json{{"keyCode", "49"}, {"modifiers", 0}}, json{{"keyCode", 49}}, json::array({49, 0})}) {
        EXPECT_FALSE(ShortcutDefinition::fromJson(bad)) << bad;
    }
}

// Every key that has a display name, with the number the settings document stores for it.
struct NamedKey {
    std::uint16_t storedCode;
    Key key;
    const char* name;
};
const NamedKey kNamedKeys[] = {
    {36, Key::enter, "↩"},     {48, Key::tab, "⇥"},      {49, Key::space, "Space"},
    {51, Key::backspace, "⌫"}, {53, Key::escape, "Esc"}, {123, Key::left, "←"},
    {124, Key::right, "→"},    {125, Key::down, "↓"},    {126, Key::up, "↑"},
    {0, Key::a, "A"},          {1, Key::s, "S"},         {2, Key::d, "D"},
    {3, Key::f, "F"},          {4, Key::h, "H"},         {5, Key::g, "G"},
    {6, Key::z, "Z"},          {7, Key::x, "X"},         {8, Key::c, "C"},
    {9, Key::v, "V"},          {11, Key::b, "B"},        {12, Key::q, "Q"},
    {13, Key::w, "W"},         {14, Key::e, "E"},        {15, Key::r, "R"},
    {16, Key::y, "Y"},         {17, Key::t, "T"},        {31, Key::o, "O"},
    {32, Key::u, "U"},         {34, Key::i, "I"},        {35, Key::p, "P"},
    {37, Key::l, "L"},         {38, Key::j, "J"},        {40, Key::k, "K"},
    {45, Key::n, "N"},         {46, Key::m, "M"},
};

TEST(ShortcutDefinition, ConvertsEveryNamedKeyBothWays) {
    for (const auto& named : kNamedKeys) {
        const auto stored = ShortcutDefinition::fromStored(named.storedCode, 0x80000);
        EXPECT_EQ(stored.key(), named.key) << named.name;
        EXPECT_EQ(stored.modifiers(), Modifiers(Modifier::alt)) << named.name;
        EXPECT_EQ(stored.keyDisplayName(), named.name);
        const ShortcutDefinition built(named.key, Modifier::alt);
        EXPECT_EQ(built, stored) << named.name;
        EXPECT_EQ(built.toJson(), (json{{"keyCode", named.storedCode}, {"modifiers", 0x80000}}));
    }
    EXPECT_EQ(ShortcutDefinition::fromStored(52, 0).key(), std::nullopt);
    EXPECT_EQ(ShortcutDefinition::fromStored(52, 0).keyDisplayName(), "Key 52");
    EXPECT_EQ(ShortcutDefinition(Key::digit1, {}).keyDisplayName(), "Key 18");
}

TEST(ShortcutDefinition, ConvertsModifierBitsBothWaysAndKeepsUnknownOnes) {
    const std::pair<std::uint64_t, Modifiers> bits[] = {
        {0x20000, Modifier::shift},
        {0x40000, Modifier::control},
        {0x80000, Modifier::alt},
        {0x100000, Modifier::super},
        {0x10000, Modifier::capsLock},
        {0x1E0000, Modifier::shift | Modifier::control | Modifier::alt | Modifier::super}};
    for (const auto& [stored, modifiers] : bits) {
        EXPECT_EQ(ShortcutDefinition::fromStored(49, stored).modifiers(), modifiers) << stored;
        EXPECT_EQ(ShortcutDefinition(Key::space, modifiers),
                  ShortcutDefinition::fromStored(49, stored));
    }
    // Num Lock and level three have no stored bit: they are no part of a shortcut.
    EXPECT_EQ(
        ShortcutDefinition(Key::space, Modifier::alt | Modifier::numLock | Modifier::levelThree),
        ShortcutDefinition::altSpace());
    // A bit this system has no modifier for survives a round trip and never matches.
    const auto numericPad = ShortcutDefinition::fromStored(49, 0x280000);
    EXPECT_EQ(numericPad.modifiers(), std::nullopt);
    EXPECT_EQ(numericPad.comparedModifiers(), Modifiers(Modifier::alt));
    EXPECT_EQ(ShortcutDefinition::fromJson(json::parse(numericPad.toJson().dump())), numericPad);
    EXPECT_FALSE(numericPad.matches(Key::space, Modifier::alt));
}

TEST(ShortcutDefinition, MatchesTheExactKeyAndComparedModifiers) {
    const auto manual = ShortcutDefinition::altSpace();
    EXPECT_TRUE(manual.matches(Key::space, Modifier::alt));
    EXPECT_FALSE(manual.matches(Key::space, Modifier::alt | Modifier::shift));
    EXPECT_FALSE(manual.matches(Key::space, {}));
    EXPECT_FALSE(manual.matches(Key::enter, Modifier::alt));
    // A stored Caps Lock bit is never part of a press's compared modifiers.
    EXPECT_FALSE(ShortcutDefinition::fromStored(49, 0x90000)
                     .matches(Key::space, Modifier::alt | Modifier::capsLock));
    // A stored code no key has cannot be pressed, not even by a key without a stored code.
    EXPECT_FALSE(ShortcutDefinition::fromStored(65535, 0).matches(static_cast<Key>(0x2FF), {}));
    EXPECT_EQ(ShortcutDefinition::altSuperP().toJson(),
              (json{{"keyCode", 35}, {"modifiers", 0x180000}}));
    EXPECT_EQ(ShortcutDefinition::altShiftSpace().toJson(),
              (json{{"keyCode", 49}, {"modifiers", 0xA0000}}));
}

}  // namespace
}  // namespace plovik
