#include <gtest/gtest.h>

#include <memory>

#include "core/layouts/SystemKeyboardLayoutTranslator.h"
#include "core/text/Utf16.h"
#include "platform/linux/XkbKeyCodeTable.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/linux/XkbLayoutName.h"
#include "platform/linux/XkbLayoutRegistry.h"

namespace plovik {
namespace {

constexpr std::uint32_t kShift = KeyLayoutData::kShiftState;
constexpr std::uint32_t kCaps = KeyLayoutData::kCapsLockState;
constexpr std::uint32_t kOption = KeyLayoutData::kOptionState;

class XkbKeyMaps : public testing::Test {
  protected:
    static void SetUpTestSuite() { library_ = std::make_unique<XkbKeymapLibrary>(); }
    static void TearDownTestSuite() { library_.reset(); }

    static std::shared_ptr<const KeyLayoutData> keyMap(std::string_view id) {
        auto data = library_->keyLayoutData(id);
        EXPECT_TRUE(data) << id;
        return data;
    }

    // The text of one key press, carrying the dead-key state; absent on failure.
    static std::optional<std::string> press(const KeyLayoutData& keyMap, std::uint16_t keyCode,
                                            std::uint32_t modifiers, std::uint32_t& deadKeyState) {
        KeyTranslationOutput output;
        if (keyMap.translate(keyCode, modifiers, 0, deadKeyState, output) !=
            KeyTranslationStatus::success) {
            return std::nullopt;
        }
        return text::Utf16::decode(std::u16string_view(output.units.data(), output.length));
    }

    static inline std::unique_ptr<XkbKeymapLibrary> library_;
};

TEST_F(XkbKeyMaps, KeyCodeTableIsOneToOne) {
    EXPECT_EQ(XkbKeyCodeTable::xkbKeyCode(0), 38u);   // A: evdev 30
    EXPECT_EQ(XkbKeyCodeTable::xkbKeyCode(49), 65u);  // Space: evdev 57
    EXPECT_EQ(XkbKeyCodeTable::xkbKeyCode(36), 36u);  // Return: evdev 28
    EXPECT_EQ(XkbKeyCodeTable::xkbKeyCode(10), 94u);  // ISO key: evdev 86
    EXPECT_EQ(XkbKeyCodeTable::xkbKeyCode(52), std::nullopt);
    EXPECT_EQ(XkbKeyCodeTable::virtualKeyCode(9), 53);  // Escape
    EXPECT_EQ(XkbKeyCodeTable::virtualKeyCode(7), std::nullopt);
    EXPECT_EQ(XkbKeyCodeTable::virtualKeyCode(0), std::nullopt);
    std::set<std::uint32_t> seen;
    for (const auto code : XkbKeyCodeTable::virtualKeyCodes()) {
        const auto xkb = XkbKeyCodeTable::xkbKeyCode(code);
        ASSERT_TRUE(xkb) << code;
        EXPECT_TRUE(seen.insert(*xkb).second) << code;
        EXPECT_EQ(XkbKeyCodeTable::virtualKeyCode(*xkb), code);
    }
}

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
        std::uint16_t keyCode;
        std::uint32_t modifiers;
        std::optional<std::string> expected;
    };
    // A level that a key leaves empty (Shift+AltGr on the Russian 8) types nothing, as
    // a real press does; only a key without any symbol (F19) fails.
    const std::vector<Case> cases{
        {"xkb:us", 0, 0, "a"},           {"xkb:us", 0, kShift, "A"},
        {"xkb:us", 0, kCaps, "A"},       {"xkb:us", 0, kCaps | kShift, "a"},
        {"xkb:us", 18, 0, "1"},          {"xkb:us", 18, kShift, "!"},
        {"xkb:us", 18, kCaps, "1"},      {"xkb:us", 49, 0, " "},
        {"xkb:us", 36, 0, "\r"},         {"xkb:us", 48, 0, "\t"},
        {"xkb:us", 83, 0, "1"},  // keypad digits regardless of Num Lock
        {"xkb:us", 123, 0, ""},  // arrows type nothing
        {"xkb:us", 52, 0, std::nullopt}, {"xkb:us", 300, 0, std::nullopt},
        {"xkb:ru", 0, 0, "ф"},           {"xkb:ru", 0, kCaps, "Ф"},
        {"xkb:ru", 50, 0, "ё"},          {"xkb:ru", 44, 0, "."},
        {"xkb:ru", 44, kShift, ","},     {"xkb:ua", 1, 0, "і"},
        {"xkb:by", 1, 0, "ы"},           {"xkb:by", 32, 0, "г"},
        {"xkb:de", 16, 0, "z"},          {"xkb:de", 6, 0, "y"},
        {"xkb:de", 12, kOption, "@"},    {"xkb:de", 14, kOption, "€"},
        {"xkb:de", 41, 0, "ö"},          {"xkb:fr", 12, 0, "a"},
        {"xkb:fr", 0, 0, "q"},           {"xkb:fr", 19, 0, "é"},
        {"xkb:us(dvorak)", 1, 0, "o"},   {"xkb:us(dvorak)", 12, 0, "'"},
        {"xkb:ru", 28, kOption, "₽"},  {"xkb:ru", 28, kShift | kOption, ""},
        {"xkb:ua", 15, kOption, "®"},    {"xkb:ua", 15, kShift | kOption, ""},
        {"xkb:us", 80, 0, std::nullopt},
    };
    for (const auto& c : cases) {
        std::uint32_t state = 0;
        EXPECT_EQ(press(*keyMap(c.layout), c.keyCode, c.modifiers, state), c.expected)
            << c.layout << " key " << c.keyCode << " modifiers " << c.modifiers;
        EXPECT_EQ(state, 0u);
    }
}

TEST_F(XkbKeyMaps, DeadKeysComposeWithTheNextKey) {
    ASSERT_TRUE(library_->hasComposeTable());
    const auto german = keyMap("xkb:de");
    std::uint32_t state = 0;
    // The key left of Backspace is a dead acute in German.
    EXPECT_EQ(press(*german, 24, 0, state), "");
    EXPECT_NE(state, 0u);
    EXPECT_EQ(press(*german, 14, 0, state), "é");
    EXPECT_EQ(state, 0u);

    EXPECT_EQ(press(*german, 50, 0, state), "");  // dead circumflex
    EXPECT_EQ(press(*german, 49, 0, state), "^");
    EXPECT_EQ(state, 0u);

    // A key that does not compose: the accent stands alone, then the key.
    EXPECT_EQ(press(*german, 50, 0, state), "");
    EXPECT_EQ(press(*german, 12, 0, state), "^q");
    EXPECT_EQ(state, 0u);

    // Two dead keys wait for the letter that takes both accents.
    EXPECT_EQ(press(*german, 50, 0, state), "");
    EXPECT_EQ(press(*german, 24, 0, state), "");
    EXPECT_NE(state, 0u);
    EXPECT_EQ(press(*german, 14, 0, state), "ế");

    // A failed key leaves the pending accent alone; a foreign state is refused.
    EXPECT_EQ(press(*german, 50, 0, state), "");
    const std::uint32_t pending = state;
    EXPECT_EQ(press(*german, 52, 0, state), std::nullopt);
    EXPECT_EQ(state, pending);
    std::uint32_t foreign = 0xFFFF;
    KeyTranslationOutput output;
    EXPECT_EQ(german->translate(0, 0, 0, foreign, output),
              KeyTranslationStatus::invalidDeadKeyState);

    // Without dead keys (us) nothing waits.
    state = 0;
    EXPECT_EQ(press(*keyMap("xkb:us"), 39, 0, state), "'");
    EXPECT_EQ(state, 0u);
}

}  // namespace
}  // namespace plovik
