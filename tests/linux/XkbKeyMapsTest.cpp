#include <gtest/gtest.h>

#include <memory>

#include "core/layouts/SystemKeyboardLayoutTranslator.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/linux/XkbLayoutName.h"
#include "platform/linux/XkbLayoutRegistry.h"

namespace plovik {
namespace {

constexpr Modifiers kShift = Modifier::shift;
constexpr Modifiers kCaps = Modifier::capsLock;
constexpr Modifiers kLevelThree = Modifier::levelThree;
// Codes no XKB key map has a symbol for.
constexpr Key kUnusedKey = static_cast<Key>(0);
constexpr Key kBeyondEveryMap = static_cast<Key>(300);

class XkbKeyMaps : public testing::Test {
  protected:
    static void SetUpTestSuite() { library_ = std::make_unique<XkbKeymapLibrary>(); }
    static void TearDownTestSuite() { library_.reset(); }

    static std::shared_ptr<const KeyLayoutData> keyMap(std::string_view id) {
        auto data = library_->keyLayoutData(id);
        EXPECT_TRUE(data) << id;
        return data;
    }

    static std::optional<std::string> press(const KeyLayoutData& keyMap, Key key,
                                            Modifiers modifiers, ComposeState& compose) {
        return keyMap.translate(key, modifiers, compose);
    }

    static inline std::unique_ptr<XkbKeymapLibrary> library_;
};

TEST_F(XkbKeyMaps, LayoutIdsNamePlainLayoutsAndVariants) {
    EXPECT_EQ(XkbLayoutName::fromId("xkb:us"), (XkbLayoutName{"us", ""}));
    EXPECT_EQ(XkbLayoutName::fromId("xkb:us(dvorak)"), (XkbLayoutName{"us", "dvorak"}));
    EXPECT_EQ((XkbLayoutName{"de", "nodeadkeys"}).id(), "xkb:de(nodeadkeys)");
    for (const char* bad : {"us", "xkb:", "xkb:us(", "xkb:us()", "xkb:us(dvorak)x", "xkb:us,ru",
                            "xkb:us+ru", "xkb:(dvorak)", "xkb:us(a(b))", "xkb:u s"}) {
        EXPECT_EQ(XkbLayoutName::fromId(bad), std::nullopt) << bad;
    }
}

TEST_F(XkbKeyMaps, RegistryGivesNamesAndTwoLetterLanguages) {
    EXPECT_EQ(XkbLayoutRegistry::twoLetterLanguage("rus"), "ru");
    EXPECT_EQ(XkbLayoutRegistry::twoLetterLanguage("ger"), "de");
    EXPECT_EQ(XkbLayoutRegistry::twoLetterLanguage("deu"), "de");
    EXPECT_EQ(XkbLayoutRegistry::twoLetterLanguage("fre"), "fr");
    EXPECT_EQ(XkbLayoutRegistry::twoLetterLanguage("ukr"), "uk");
    EXPECT_EQ(XkbLayoutRegistry::twoLetterLanguage("eng"), "en");
    EXPECT_EQ(XkbLayoutRegistry::twoLetterLanguage("fil"), "fil");

    const auto russian = library_->inputSource("xkb:ru");
    ASSERT_TRUE(russian);
    EXPECT_EQ(russian->localizedName, "Russian");
    EXPECT_EQ(russian->languages, std::vector<std::string>{"ru"});
    EXPECT_EQ(russian->type, "keyboard layout");
    EXPECT_TRUE(russian->keyLayoutData);
    EXPECT_EQ(library_->inputSource("xkb:de")->languages, std::vector<std::string>{"de"});
    EXPECT_EQ(library_->inputSource("xkb:ua")->languages, std::vector<std::string>{"uk"});
    EXPECT_EQ(library_->inputSource("xkb:us(dvorak)")->languages, std::vector<std::string>{"en"});
    EXPECT_EQ(library_->inputSource("xkb:us(dvorak)")->localizedName, "English (Dvorak)");
    EXPECT_EQ(library_->inputSource("xkb:nosuchlayout"), std::nullopt);
    EXPECT_EQ(library_->inputSource("xkb:us(nosuchvariant)"), std::nullopt);
    EXPECT_EQ(library_->keyLayoutData("com.example.us"), nullptr);
    // Compiled once, then shared.
    EXPECT_EQ(library_->keyLayoutData("xkb:ru"), library_->keyLayoutData("xkb:ru"));
}

TEST_F(XkbKeyMaps, KeysTranslateAtTheirLevels) {
    struct Case {
        const char* layout;
        Key key;
        Modifiers modifiers;
        std::optional<std::string> expected;
    };
    // A level that a key leaves empty (Shift+AltGr on the Russian 8) types nothing, as
    // a real press does; only a key without any symbol (F19) fails.
    const std::vector<Case> cases{
        {"xkb:us", Key::a, {}, "a"},
        {"xkb:us", Key::a, kShift, "A"},
        {"xkb:us", Key::a, kCaps, "A"},
        {"xkb:us", Key::a, kCaps | kShift, "a"},
        {"xkb:us", Key::digit1, {}, "1"},
        {"xkb:us", Key::digit1, kShift, "!"},
        {"xkb:us", Key::digit1, kCaps, "1"},
        {"xkb:us", Key::space, {}, " "},
        {"xkb:us", Key::enter, {}, "\r"},
        {"xkb:us", Key::tab, {}, "\t"},
        {"xkb:us", Key::keypad1, {}, "1"},  // keypad digits regardless of Num Lock
        {"xkb:us", Key::left, {}, ""},      // arrows type nothing
        {"xkb:us", kUnusedKey, {}, std::nullopt},
        {"xkb:us", kBeyondEveryMap, {}, std::nullopt},
        {"xkb:ru", Key::a, {}, "ф"},
        {"xkb:ru", Key::a, kCaps, "Ф"},
        {"xkb:ru", Key::grave, {}, "ё"},
        {"xkb:ru", Key::slash, {}, "."},
        {"xkb:ru", Key::slash, kShift, ","},
        {"xkb:ua", Key::s, {}, "і"},
        {"xkb:by", Key::s, {}, "ы"},
        {"xkb:by", Key::u, {}, "г"},
        {"xkb:de", Key::y, {}, "z"},
        {"xkb:de", Key::z, {}, "y"},
        {"xkb:de", Key::q, kLevelThree, "@"},
        {"xkb:de", Key::e, kLevelThree, "€"},
        {"xkb:de", Key::semicolon, {}, "ö"},
        {"xkb:fr", Key::q, {}, "a"},
        {"xkb:fr", Key::a, {}, "q"},
        {"xkb:fr", Key::digit2, {}, "é"},
        {"xkb:us(dvorak)", Key::s, {}, "o"},
        {"xkb:us(dvorak)", Key::q, {}, "'"},
        {"xkb:ru", Key::digit8, kLevelThree, "₽"},
        {"xkb:ru", Key::digit8, kShift | kLevelThree, ""},
        {"xkb:ua", Key::r, kLevelThree, "®"},
        {"xkb:ua", Key::r, kShift | kLevelThree, ""},
        {"xkb:us", Key::f19, {}, std::nullopt},
    };
    for (const auto& c : cases) {
        ComposeState state;
        EXPECT_EQ(press(*keyMap(c.layout), c.key, c.modifiers, state), c.expected)
            << c.layout << " key " << evdevCode(c.key) << " modifiers " << int(c.modifiers.bits());
        EXPECT_FALSE(state.isComposing());
    }
}

TEST_F(XkbKeyMaps, DeadKeysComposeWithTheNextKey) {
    ASSERT_TRUE(library_->hasComposeTable());
    const auto german = keyMap("xkb:de");
    ComposeState state;
    // The key left of Backspace is a dead acute in German.
    EXPECT_EQ(press(*german, Key::equal, {}, state), "");
    EXPECT_TRUE(state.isComposing());
    EXPECT_EQ(press(*german, Key::e, {}, state), "é");
    EXPECT_FALSE(state.isComposing());

    EXPECT_EQ(press(*german, Key::grave, {}, state), "");  // dead circumflex
    EXPECT_EQ(press(*german, Key::space, {}, state), "^");
    EXPECT_FALSE(state.isComposing());

    // A key that does not compose types alone: the toolkits drop the accent, and so does
    // the key capture on X11.
    EXPECT_EQ(press(*german, Key::grave, {}, state), "");
    EXPECT_EQ(press(*german, Key::q, {}, state), "q");
    EXPECT_FALSE(state.isComposing());

    // A second dead key that does not compose with the first ends the sequence and starts
    // none: both accents are dropped, as xkbcommon's compose state and Qt drop them.
    EXPECT_EQ(press(*german, Key::equal, {}, state), "");                 // dead acute
    EXPECT_EQ(press(*german, Key::equal, {Modifier::shift}, state), "");  // dead grave
    EXPECT_FALSE(state.isComposing());
    EXPECT_EQ(press(*german, Key::e, {}, state), "e");
    EXPECT_EQ(press(*german, Key::equal, {}, state), "");
    EXPECT_EQ(press(*german, Key::equal, {Modifier::shift}, state), "");
    EXPECT_EQ(press(*german, Key::equal, {Modifier::shift}, state), "");
    EXPECT_TRUE(state.isComposing()) << "the next dead key starts afresh";
    EXPECT_EQ(press(*german, Key::e, {}, state), "è");

    // Two dead keys wait for the letter that takes both accents.
    EXPECT_EQ(press(*german, Key::grave, {}, state), "");
    EXPECT_EQ(press(*german, Key::equal, {}, state), "");
    EXPECT_TRUE(state.isComposing());
    EXPECT_EQ(press(*german, Key::e, {}, state), "ế");

    // A failed key leaves the pending accent alone.
    EXPECT_EQ(press(*german, Key::grave, {}, state), "");
    const ComposeState pending = state;
    EXPECT_EQ(press(*german, kUnusedKey, {}, state), std::nullopt);
    EXPECT_EQ(state, pending);
    EXPECT_EQ(press(*german, Key::e, {}, state), "ê");

    // Without dead keys (us) nothing waits.
    state = {};
    EXPECT_EQ(press(*keyMap("xkb:us"), Key::apostrophe, {}, state), "'");
    EXPECT_FALSE(state.isComposing());
}

}  // namespace
}  // namespace plovik
