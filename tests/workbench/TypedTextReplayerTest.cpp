#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "app/workbench/CorrectionWorkbench.h"
#include "app/workbench/TypedTextReplayer.h"
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

TEST_F(TypedTextReplayerTest, AWordWhoseDelimiterWouldBecomeALetterIsChangedOnceWhole) {
    // "образ" under US: the comma key is "б" in Russian. "о" would be corrected as a common
    // word, but its delimiter would become a letter: the word goes on and is judged whole
    // where it really ends, so that it is changed once or not at all.
    {
        const auto switching = replayer(true);
        switching->type("j,hfp ");
        EXPECT_EQ(switching->takeText(), "образ ");
        ASSERT_EQ(judgements_.size(), 2u);
        EXPECT_TRUE(judgements_[0].decision) << "\"j\" alone would be corrected";
        EXPECT_FALSE(judgements_[0].applied);
        EXPECT_EQ(judgements_[1].completion.token, "j,hfp");
        ASSERT_TRUE(judgements_[1].decision);
        EXPECT_EQ(judgements_[1].decision->corrected, "образ");
        EXPECT_EQ(workbench_->inputSources().currentLayout()->id, "xkb:ru");
    }
    judgements_.clear();
    const auto staying = replayer(false);
    staying->type("j,kfcnm cj,snbt\n");
    // "cj" alone is too short to correct: that word stays as typed, also whole.
    EXPECT_EQ(staying->takeText(), "область cj,snbt\n");
    EXPECT_EQ(workbench_->inputSources().currentLayout()->id, "xkb:us");
    ASSERT_GE(judgements_.size(), 2u);
    EXPECT_EQ(judgements_[1].completion.token, "j,kfcnm");
    ASSERT_TRUE(judgements_[1].decision);
    EXPECT_EQ(judgements_[1].decision->corrected, "область");

    // The word after it is judged on its own again.
    staying->type("ghbdtn vbh\n");
    EXPECT_EQ(staying->takeText(), "привет мир\n");
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

TEST_F(TypedTextReplayerTest, TextWithoutKeysIsUnseenAsInTheApplication) {
    const auto owned = replayer(false);
    auto& typing = *owned;
    // The emoji reaches the field without a key: the next key finds the field no longer ending
    // in "ghbdtn", which is given up unjudged; "vbh" is glued to the emoji and stays, and so
    // does the word inside quotation marks that no key types.
    typing.type("ghbdtn\U0001F600vbh \u00ABghbdtn\u00BB\n");
    EXPECT_EQ(typing.takeText(), "ghbdtn\U0001F600vbh \u00ABghbdtn\u00BB\n");
    ASSERT_EQ(judgements_.size(), 2u);
    EXPECT_EQ(judgements_[0].completion.token, "vbh");
    ASSERT_TRUE(judgements_[0].decision);
    EXPECT_EQ(judgements_[1].completion.token, "ghbdtn");
    EXPECT_EQ(judgements_[1].completion.contextBeforeToken, "vbh ");
    ASSERT_TRUE(judgements_[1].decision);

    // Standing apart, it changes nothing around it.
    typing.type("ghbdtn \U0001F600 vbh\n");
    EXPECT_EQ(typing.takeText(), "привет \U0001F600 мир\n");
}

TEST_F(TypedTextReplayerTest, RecordsEveryCorrectionAsTheApplicationDoes) {
    const auto owned = replayer(false);
    auto& typing = *owned;
    typing.type("ghbdtn \u00ABvbh\u00BB\n");
    EXPECT_EQ(typing.takeText(), "привет \u00ABvbh\u00BB\n");
    const auto records = workbench_->history().allRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].correctedToken, "привет");
    EXPECT_EQ(records[0].outcome, CorrectionOutcome::accepted);
    EXPECT_EQ(records[0].applicationBundleIdentifier, "test");
    // The field refused the second: the application keeps that too.
    EXPECT_EQ(records[1].originalToken, "vbh");
    EXPECT_EQ(records[1].outcome, CorrectionOutcome::rejected);
}

}  // namespace
}  // namespace plovik
