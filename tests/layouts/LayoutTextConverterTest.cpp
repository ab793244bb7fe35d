#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "core/layouts/LayoutTextConverter.h"
#include "platform/linux/XkbKeymapLibrary.h"

namespace plovik {
namespace {

class LayoutTextConverterTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { library_ = std::make_unique<XkbKeymapLibrary>(); }
    static void TearDownTestSuite() { library_.reset(); }

    static LayoutTextConverter::Side side(const std::string& id, const std::string& language) {
        return {KeyboardLayout{id, id, {language}}, library_->keyLayoutData(id)};
    }
    // Selected first.
    static LayoutTextConverter converter(const std::string& selected, const std::string& other) {
        return LayoutTextConverter(side("xkb:" + selected, selected), side("xkb:" + other, other));
    }

    static inline std::unique_ptr<XkbKeymapLibrary> library_;
};

TEST_F(LayoutTextConverterTest, ASentenceTypedInTheWrongLayoutComesOutWithItsPunctuation) {
    for (const auto& [selected, other] : {std::pair("us", "ru"), std::pair("ru", "us")}) {
        const auto converted = converter(selected, other).convert("Ghbdtn? rfr ltkf&");
        EXPECT_EQ(converted.text, "Привет, как дела?") << selected;
        EXPECT_EQ(converted.target, (KeyboardLayout{"xkb:ru", "xkb:ru", {"ru"}})) << selected;
    }
    // Keys that type letters in Russian are punctuation in English: still one word.
    EXPECT_EQ(converter("us", "ru").convert("cj,snbt$ \"nj [jhjij").text, "событие; Это хорошо");
    EXPECT_EQ(converter("us", "ru").convert(",fkrf").text, "балка");
}

TEST_F(LayoutTextConverterTest, EachRunOfAMixedTextIsTurnedRound) {
    const auto usFirst = converter("us", "ru");
    const auto mixed = usFirst.convert("Привет, rfr ltkf&");
    EXPECT_EQ(mixed.text, "Ghbdtn? как дела?");
    EXPECT_EQ(mixed.target->id, "xkb:ru") << "the last run now reads in Russian";
    EXPECT_EQ(usFirst.convert("ghbdtn Привет").target->id, "xkb:us");
    // Runs glued together are told apart by the layout that types them.
    EXPECT_EQ(usFirst.convert("ghbdtnмир").text, "приветvbh");
}

TEST_F(LayoutTextConverterTest, ConvertingTwiceGivesTheOriginalBack) {
    const std::string texts[] = {
        "Ghbdtn? rfr ltkf&",
        "Привет, как дела?",
        "Привет, rfr ltkf&",
        "Съешь же ещё этих мягких французских булок, да выпей чаю.",
        "The quick brown fox: \"jumps\" over {the} <lazy> dog; 100% ~`!@#$^&*()_+-=[]|\\/?",
        "Ёжик № 5 в тумане; ЭЮЪ!",
        "line one\nline\ttwo\n",
    };
    for (const auto& [selected, other] : {std::pair("us", "ru"), std::pair("ru", "us")}) {
        const auto pair = converter(selected, other);
        for (const auto& text : texts) {
            const auto once = pair.convert(text).text;
            EXPECT_NE(once, text) << selected;
            EXPECT_EQ(pair.convert(once).text, text) << selected << ": " << once;
        }
    }
}

TEST_F(LayoutTextConverterTest, CharactersNoKeyOfTheirLayoutTypesStayAsTheyAre) {
    const auto pair = converter("us", "ru");
    // The emoji, the sum sign and the euro sign have no key; No. has none in English.
    EXPECT_EQ(pair.convert("ghbdtn 😀 ∑ €5 №").text, "привет 😀 ∑ €5 №");
    EXPECT_EQ(pair.convert("😀\t \n").text, "😀\t \n");
    const auto nothing = pair.convert("123 😀");
    EXPECT_EQ(nothing.text, "123 😀");
    EXPECT_FALSE(nothing.target) << "digits are the same keys in both";
    EXPECT_EQ(pair.convert("").text, "");
}

TEST_F(LayoutTextConverterTest, DeadKeysAndCapitalsOfALatinPair) {
    const auto germanFirst = converter("de", "us");
    // Ü is a key of its own; é is the dead acute (where US has "=") and e.
    const auto english = germanFirst.convert("Übung macht süß, é!");
    EXPECT_EQ(english.text, "{bung macht s[-, =e!");
    EXPECT_EQ(english.target->id, "xkb:us");
    const auto usFirst = converter("us", "de");
    EXPECT_EQ(usFirst.convert(english.text).text, "Übung macht süß, é!");
    // Z and Y trade places; capitals keep their Shift.
    EXPECT_EQ(usFirst.convert("Zes, my Yoo").text, "Yes, mz Zoo");
    // A dead key there with nothing to compose with keeps the character: none is lost.
    EXPECT_EQ(usFirst.convert("a=b x=").text, "a=b x=");
    EXPECT_EQ(usFirst.convert("=e").text, "é");
}

}  // namespace
}  // namespace plovik
