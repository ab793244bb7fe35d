#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/simulated/CorrectionWorkbench.h"
#include "platform/simulated/TypedTextReplayer.h"
#include "support/BoundedChild.h"
#include "tests/support/KeyEvents.h"

namespace plovik {
namespace {

class TypedTextReplayerTest : public ::testing::Test {
  protected:
    std::unique_ptr<TypedTextReplayer> replayer(bool switchAfterCorrection) {
        auto created = CorrectionWorkbench::create({{"xkb:us", "xkb:ru"}, "xkb:us", std::nullopt});
        workbench_ = std::move(std::get<std::unique_ptr<CorrectionWorkbench>>(created));
        auto result = workbench_->makeReplayer(
            {workbench_->typedInLayout(), 0.9, switchAfterCorrection, "test"});
        result->setObserver([this](const auto& judgement) { judgements_.push_back(judgement); });
        return result;
    }

    std::unique_ptr<CorrectionWorkbench> workbench_;
    std::vector<TypedTextReplayer::Judgement> judgements_;
};

TEST_F(TypedTextReplayerTest, ReplacesWordAndDelimiterAndTellsTheBuffer) {
    const auto owned = replayer(false);
    auto& typing = *owned;
    typing.type("Ghbdtn? vbh\n");
    EXPECT_EQ(typing.takeText(), "Привет, мир\n");
    ASSERT_EQ(judgements_.size(), 2u);
    EXPECT_EQ(judgements_[0].completion.delimiter, "?");
    EXPECT_EQ(judgements_[0].correctedDelimiter, ",");
    // The context of the next word is the corrected text, as in the field.
    EXPECT_EQ(judgements_[1].completion.contextBeforeToken, "Привет, ");
    EXPECT_EQ(judgements_[1].completion.delimiter, "\n");
    ASSERT_TRUE(judgements_[1].decision);
    EXPECT_EQ(judgements_[1].decision->targetLayout.id, "xkb:ru");

    // The end of the input ends the word being typed.
    typing.type("vbh");
    typing.finishInput();
    EXPECT_EQ(typing.takeText(), "мир");
}

TEST_F(TypedTextReplayerTest, ASwitchAfterACorrectionEmptiesTheBufferAsInTheApplication) {
    // "образ" under US: the comma key is "б" in Russian. "о" is corrected as a common word,
    // and switching to Russian after it empties the buffer, as in the application: the rest
    // of the keys type Russian and are judged as the word they make.
    const auto owned = replayer(true);
    auto& typing = *owned;
    typing.type("j,hfp ");
    EXPECT_EQ(typing.takeText(), "образ ");
    ASSERT_EQ(judgements_.size(), 2u);
    EXPECT_EQ(judgements_[1].completion.token, "раз");
    EXPECT_FALSE(judgements_[1].decision);
    EXPECT_EQ(workbench_->inputSources().currentLayout()->id, "xkb:ru");
}

TEST_F(TypedTextReplayerTest, AContinuedWordIsReadWhollyInTheCorrectedLayoutWithoutASwitch) {
    const auto owned = replayer(false);
    auto& typing = *owned;
    // "j," became "об", yet the keys that follow still type Latin: the whole word is read in
    // the layout it was corrected to, never left as "обkfcnm".
    typing.type("j,kfcnm cj,snbt\n");
    // "cj" alone is too short to correct: that word stays as typed, also whole.
    EXPECT_EQ(typing.takeText(), "область cj,snbt\n");
    EXPECT_EQ(workbench_->inputSources().currentLayout()->id, "xkb:us");
    ASSERT_GE(judgements_.size(), 2u);
    EXPECT_EQ(judgements_[1].completion.token, "обkfcnm");
    EXPECT_EQ(judgements_[1].completion.typedText, "j,kfcnm");
    ASSERT_TRUE(judgements_[1].decision);
    EXPECT_EQ(judgements_[1].decision->corrected, "область");

    // The word after it is judged on its own again.
    typing.type("ghbdtn vbh\n");
    EXPECT_EQ(typing.takeText(), "привет мир\n");
}

TEST_F(TypedTextReplayerTest, LongLinesTakeTimeAndMemoryInProportion) {
    // Each key must cost the same however long its line or word: a line of 4 MB and a
    // word of a million letters, each in a child with bounded time and memory.
    EXPECT_TRUE(testing::finishesInBounds(120, std::size_t{128} << 20, [this] {
        const auto owned = replayer(false);
        auto& typing = *owned;
        typing.setObserver({});  // the judgements would take the memory
        std::string line;
        while (line.size() < (std::size_t{4} << 20)) {
            line += "ghbdtn ";
        }
        typing.type(line);
        return typing.takeText().size() == line.size() / 7 * 13;
    }));
    // A word's own keys take memory in proportion to it.
    EXPECT_TRUE(testing::finishesInBounds(120, std::size_t{512} << 20, [this] {
        const auto owned = replayer(false);
        auto& typing = *owned;
        typing.setObserver({});
        typing.type(std::string(1'000'000, 'x') + " ");
        return typing.takeText().size() == 1'000'001;
    }));
}

TEST_F(TypedTextReplayerTest, TextWithoutKeysEndsTheWordAndTheContext) {
    const auto owned = replayer(false);
    auto& typing = *owned;
    typing.type("ghbdtn\U0001F600vbh \u00ABok\u00BB\n");
    EXPECT_EQ(typing.takeText(), "привет\U0001F600мир \u00ABok\u00BB\n");
    ASSERT_EQ(judgements_.size(), 3u);
    EXPECT_EQ(judgements_[0].completion.delimiter, "\U0001F600");
    EXPECT_EQ(judgements_[1].completion.contextBeforeToken, "");
    // Untypable punctuation is an ordinary delimiter that reaches the buffer without a key.
    EXPECT_EQ(judgements_[2].completion.token, "ok");
    EXPECT_EQ(judgements_[2].completion.contextBeforeToken, "мир \u00AB");
    EXPECT_TRUE(judgements_[2].completion.delimiterStrokes.empty());
}

}  // namespace
}  // namespace plovik
