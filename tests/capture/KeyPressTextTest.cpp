#include <gtest/gtest.h>

#include "core/capture/KeyPressText.h"

namespace plovik {
namespace {

TEST(KeyPressText, TellsTypingFromEditingAndCommands) {
    struct Case {
        Key key;
        Modifiers modifiers;
        std::optional<std::string> characters;
        std::optional<std::string> typed;
    };
    const Case cases[] = {
        {Key::a, {}, "ф", "ф"},
        {Key::a, Modifier::shift, "Ф", "Ф"},
        {Key::space, {}, " ", " "},
        {Key::grave, {}, "ё", "ё"},
        // AltGr: level three, sometimes reported with Alt.
        {Key::e, Modifier::levelThree | Modifier::alt, "€", "€"},
        // A dead key types nothing yet; the next key types the letter.
        {Key::equal, {}, "", ""},
        // Modifiers alone leave the field as it is.
        {Key::leftShift, {}, "", ""},
        {Key::rightAlt, {}, std::nullopt, ""},
        {Key::capsLock, {}, "", ""},
        // Commands and editing keys may do anything to the field.
        {Key::a, Modifier::control, "a", std::nullopt},
        {Key::v, Modifier::super, "v", std::nullopt},
        {Key::f, Modifier::alt, "f", std::nullopt},
        {Key::backspace, {}, "\x7f", std::nullopt},
        {Key::deleteForward, {}, "", std::nullopt},
        {Key::left, {}, "", std::nullopt},
        {Key::home, {}, std::nullopt, std::nullopt},
        {Key::tab, {}, "\t", std::nullopt},
        {Key::enter, {}, "\r", std::nullopt},
        {Key::escape, {}, "\x1b", std::nullopt},
        {Key::keypad4, {}, "", std::nullopt},
        {Key::a, {}, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KeyPressText::typedBy(c.key, c.modifiers, c.characters), c.typed)
            << static_cast<int>(c.key) << " " << c.characters.value_or("(none)");
    }
}

}  // namespace
}  // namespace plovik
