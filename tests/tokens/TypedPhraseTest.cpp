#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <string_view>

#include "core/text/Graphemes.h"
#include "core/tokens/TypedPhrase.h"

namespace plovik {
namespace {

using namespace std::chrono_literals;

// Keys typed one character each, 100 ms apart, as the correction flow feeds them.
class TypedPhraseTest : public ::testing::Test {
  protected:
    void type(std::string_view text, std::chrono::milliseconds gapBefore = 100ms) {
        now_ += gapBefore;
        for (const auto& character : text::Graphemes::split(text)) {
            phrase_.type(character, now_);
            now_ += 100ms;
        }
    }

    CurrentTokenBuffer buffer_{64};
    TypedPhrase phrase_{buffer_};
    TimePoint now_{};
};

TEST_F(TypedPhraseTest, TheWordsOfTheLineTypedInOneRun) {
    EXPECT_EQ(phrase_.text(), "");
    type("  Ghbdtn? rfr ltkf& ");
    EXPECT_EQ(phrase_.text(), "Ghbdtn? rfr ltkf& ") << "whitespace before the first word left out";
    phrase_.deleteBackward();
    phrase_.deleteBackward();
    EXPECT_EQ(phrase_.text(), "Ghbdtn? rfr ltkf");
    type("\nlheu😀");
    EXPECT_EQ(phrase_.text(), "lheu😀") << "a line break starts a new phrase";
    phrase_.deleteBackward();
    EXPECT_EQ(phrase_.text(), "lheu") << "one character, however many bytes";
}

TEST_F(TypedPhraseTest, APauseStartsANewPhraseButKeepsTheWordBeingTyped) {
    type("hello world ");
    type("ghb", TypedPhrase::kPause + 1ms);
    type("dtn rfr");
    EXPECT_EQ(phrase_.text(), "ghbdtn rfr");
    type(" ltkf", 5s);
    EXPECT_EQ(phrase_.text(), "rfr ltkf") << "the pause came in the middle of rfr";
    // The helper already let 100 ms pass after the last key.
    type("?", TypedPhrase::kPause - 100ms);
    EXPECT_EQ(phrase_.text(), "rfr ltkf?") << "exactly the pause is still one run";
}

TEST_F(TypedPhraseTest, ThePhraseGoesOnAfterTheWordPlovikCorrected) {
    type("ghbdtn r");
    // Corrected while the next word was begun.
    phrase_.noteCorrection("ghbdtn ");
    type("fr ltkf");
    EXPECT_EQ(phrase_.text(), "rfr ltkf");
    // A replacement the phrase cannot place leaves nothing it can vouch for.
    phrase_.noteCorrection("vbh ");
    EXPECT_EQ(phrase_.text(), "");
}

TEST_F(TypedPhraseTest, TheBufferGivingUpOnTheFieldEndsThePhrase) {
    type("ghbdtn rfr");
    buffer_.reset();
    EXPECT_EQ(phrase_.text(), "");
    type(" ltkf");
    EXPECT_EQ(phrase_.text(), "ltkf");
}

TEST_F(TypedPhraseTest, ALongRunKeepsItsLastWholeWords) {
    std::string typed;
    for (int word = 0; word < 60; ++word) {
        typed += "word" + std::to_string(word % 10) + " ";
    }
    type(typed);
    const std::string kept = phrase_.text();
    EXPECT_LE(text::Graphemes::count(kept), TypedPhrase::kMaximumLength);
    EXPECT_TRUE(kept.starts_with("word")) << kept;
    EXPECT_TRUE(typed.ends_with(" " + kept)) << kept;
}

}  // namespace
}  // namespace plovik
