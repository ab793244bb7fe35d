#include <gtest/gtest.h>

#include <memory>

#include "core/layouts/SystemKeyboardLayoutTranslator.h"
#include "core/layouts/TypingSimulator.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/simulated/SimulatedLayoutSource.h"
#include "support/KeyEvents.h"

namespace plovik {
namespace {

using testing::kLevelThree;
using testing::kShift;

class TypingSimulatorTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        library_ = std::make_unique<XkbKeymapLibrary>();
        sources_ = std::make_unique<SimulatedLayoutSource>(*library_);
        for (const char* id :
             {"xkb:us", "xkb:ru", "xkb:ua", "xkb:by", "xkb:de", "xkb:fr", "xkb:us(dvorak)"}) {
            ASSERT_TRUE(sources_->addKeyboardLayout(id)) << id;
        }
    }
    static void TearDownTestSuite() {
        sources_.reset();
        library_.reset();
    }

    static TypingSimulator simulator(std::string_view id) {
        return TypingSimulator(*library_->keyLayoutData(id));
    }

    // The text the strokes type when re-read in `id`.
    static std::optional<std::string> reread(const std::vector<PhysicalKeyStroke>& strokes,
                                             std::string_view id) {
        const auto translation =
            SystemKeyboardLayoutTranslator(*sources_).translate(strokes, {}, id);
        if (!translation) {
            return std::nullopt;
        }
        return translation->token;
    }

    static inline std::unique_ptr<XkbKeymapLibrary> library_;
    static inline std::unique_ptr<SimulatedLayoutSource> sources_;
};

TEST_F(TypingSimulatorTest, StrokesOfOneLayoutReadInAnother) {
    const auto ghbdtn = simulator("xkb:us").strokes("ghbdtn");
    ASSERT_TRUE(ghbdtn);
    EXPECT_EQ(ghbdtn->front(), PhysicalKeyStroke(Key::g, {}));
    EXPECT_EQ(reread(*ghbdtn, "xkb:ru"), "привет");

    const auto hello = simulator("xkb:ru").strokes("руддщ");
    ASSERT_TRUE(hello);
    EXPECT_EQ(reread(*hello, "xkb:us"), "hello");

    const auto capital = simulator("xkb:us").strokes("Ghbdtn?");
    ASSERT_TRUE(capital);
    EXPECT_EQ(capital->front(), PhysicalKeyStroke(Key::g, kShift));
    EXPECT_EQ(reread(*capital, "xkb:ru"), "Привет,");
    // German swaps Y and Z; Dvorak moves everything.
    EXPECT_EQ(reread(*simulator("xkb:us").strokes("zoo"), "xkb:de"), "yoo");
    EXPECT_EQ(reread(*simulator("xkb:us(dvorak)").strokes("hello"), "xkb:us"), "jdpps");
    // The ISO key (absent on ANSI keyboards) only for what no other key types.
    EXPECT_EQ(reread(*simulator("xkb:us").strokes("<>"), "xkb:ru"), "БЮ");
    EXPECT_EQ(simulator("xkb:de").strokesForCharacter("<"),
              (std::vector<PhysicalKeyStroke>{{Key::iso102nd, {}}}));
}

TEST_F(TypingSimulatorTest, EveryLayoutRetypesItsOwnWords) {
    const std::vector<std::pair<const char*, std::string>> samples{
        {"xkb:us", "Hello, world! 1+2=3 (ok)?"},
        {"xkb:ru", "Съешь же ещё этих мягких французских булок, да выпей чаю. Ёж!"},
        {"xkb:ua", "Привіт, їжак ґанок є Ї"},
        {"xkb:by", "Прывітанне, ў Беларусі ёсць"},
        {"xkb:de", "Grüße aus Köln: Straße, Ärger, é è ê @ €"},
        {"xkb:fr", "Où est l'été ? À ça ; ê â ô"},
        {"xkb:us(dvorak)", "The quick brown fox jumps over the lazy dog."},
    };
    for (const auto& [id, text] : samples) {
        const auto strokes = simulator(id).strokes(text);
        ASSERT_TRUE(strokes) << id << ": " << text;
        EXPECT_EQ(reread(*strokes, id), text) << id;
    }
}

TEST_F(TypingSimulatorTest, ComposedCharactersUseDeadKeys) {
    // German: acute accent key, then e.
    EXPECT_EQ(simulator("xkb:de").strokesForCharacter("é"),
              (std::vector<PhysicalKeyStroke>{{Key::equal, {}}, {Key::e, {}}}));
    // The circumflex alone is the dead key followed by Space.
    EXPECT_EQ(simulator("xkb:de").strokesForCharacter("^"),
              (std::vector<PhysicalKeyStroke>{{Key::grave, {}}, {Key::space, {}}}));
    // French: dead circumflex on the key right of P.
    EXPECT_EQ(simulator("xkb:fr").strokesForCharacter("ê"),
              (std::vector<PhysicalKeyStroke>{{Key::leftBrace, {}}, {Key::e, {}}}));
    // A direct key is preferred to a composition.
    EXPECT_EQ(simulator("xkb:fr").strokesForCharacter("é"),
              (std::vector<PhysicalKeyStroke>{{Key::digit2, {}}}));
    EXPECT_EQ(simulator("xkb:de").strokesForCharacter("@"),
              (std::vector<PhysicalKeyStroke>{{Key::q, kLevelThree}}));
    EXPECT_EQ(simulator("xkb:us").strokesForCharacter("\n"),
              (std::vector<PhysicalKeyStroke>{{Key::enter, {}}}));
}

TEST_F(TypingSimulatorTest, UntypableTextIsReportedNotGuessed) {
    const auto us = simulator("xkb:us");
    EXPECT_EQ(us.strokes("日本"), std::nullopt);
    EXPECT_EQ(us.strokes("привет"), std::nullopt);
    EXPECT_EQ(us.strokes("é"), std::nullopt);
    EXPECT_EQ(simulator("xkb:ru").strokes("hello"), std::nullopt);
    EXPECT_EQ(us.strokes(""), std::vector<PhysicalKeyStroke>{});

    const auto perCharacter = us.strokesPerCharacter("a日e\u0301");
    ASSERT_EQ(perCharacter.size(), 3u);
    EXPECT_EQ(perCharacter[0], (TypingSimulator::CharacterStrokes{
                                   "a", std::vector<PhysicalKeyStroke>{{Key::a, {}}}}));
    EXPECT_EQ(perCharacter[1], (TypingSimulator::CharacterStrokes{"日", std::nullopt}));
    EXPECT_EQ(perCharacter[2].character, "e\u0301");
    EXPECT_EQ(perCharacter[2].strokes, std::nullopt);
}

}  // namespace
}  // namespace plovik
