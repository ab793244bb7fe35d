#include <gtest/gtest.h>

#include "core/decision/ContinuedWordDecision.h"

namespace plovik {
namespace {

const KeyboardLayout kEnglish = KeyboardLayout::english();
const KeyboardLayout kRussian = KeyboardLayout::russian();

TokenCompletion continued(const std::string& token, const std::string& typed) {
    TokenCompletion completion{token, " ", "", {}, {}};
    completion.typedText = typed;
    return completion;
}

TEST(ContinuedWordDecision, ReadsTheWholeWordInTheCorrectedLayout) {
    const auto decision = ContinuedWordDecision::decide(continued("обkfcnm", "j,kfcnm"), kEnglish,
                                                        kRussian, {{kRussian, "область", " "}});
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision->original, "обkfcnm");
    EXPECT_EQ(decision->corrected, "область");
    EXPECT_EQ(decision->targetLayout, kRussian);
    EXPECT_EQ(decision->correctedDelimiter, " ");
}

TEST(ContinuedWordDecision, GivesBackWhatWasTypedWhenTheKeysCannotBeRead) {
    const auto decision =
        ContinuedWordDecision::decide(continued("обkfcnm", "j,kfcnm"), kEnglish, kRussian, {});
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision->corrected, "j,kfcnm");
    EXPECT_EQ(decision->targetLayout, kEnglish);
    EXPECT_EQ(decision->correctedDelimiter, " ");
}

TEST(ContinuedWordDecision, LeavesOtherWordsToTheEngine) {
    // Not a continued word; a switched layout already typed it right; nothing would change.
    EXPECT_FALSE(ContinuedWordDecision::decide(continued("ghbdtn", ""), kEnglish, kRussian,
                                               {{kRussian, "привет", " "}}));
    EXPECT_FALSE(ContinuedWordDecision::decide(continued("область", "j,ласть"), kRussian, kRussian,
                                               {{kEnglish, "j,kfcnm", " "}}));
    EXPECT_FALSE(ContinuedWordDecision::decide(continued("область", "j,kfcnm"), kEnglish, kRussian,
                                               {{kRussian, "область", " "}}));
}

}  // namespace
}  // namespace plovik
