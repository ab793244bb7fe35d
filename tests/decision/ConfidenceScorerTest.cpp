#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "core/decision/ConfidenceScorer.h"
#include "core/decision/OfflineLanguageDetector.h"
#include "core/support/ManualClock.h"
#include "core/support/ManualMainQueue.h"
#include "decision/DecisionTestDoubles.h"

namespace plovik {
namespace {

using testing::EnglishOnlySpellChecker;
using testing::TableLanguageDetector;

const KeyboardLayout kEnglish = KeyboardLayout::english();
const KeyboardLayout kRussian = KeyboardLayout::russian();

TEST(ConfidenceScorer, WorkedExampleWithTheOfflineDetector) {
    ManualClock clock;
    ManualMainQueue queue(clock);
    EnglishOnlySpellChecker checker;
    const ConfidenceScorer scorer(std::make_unique<OfflineLanguageDetector>(checker, queue));

    // (0.936 - 0.18) * 0.52 + 0.5 = 0.89312, plus 0.08 for the dictionary match.
    const auto offline = scorer.score("ghbdtn", "привет", kEnglish, kRussian, std::nullopt, 0.0);
    EXPECT_NEAR(offline.confidence, 0.97312, 1e-12);
    EXPECT_DOUBLE_EQ(offline.originalPlausibility, 0.18);
    EXPECT_NEAR(offline.convertedPlausibility, 0.936, 1e-12);
    EXPECT_EQ(offline.historyAdjustment, 0.0);

    // The current-layout bonus takes it to 1.00312, clamped.
    EXPECT_EQ(scorer.score("ghbdtn", "привет", kEnglish, kRussian, kEnglish, 0.0).confidence, 1.0);
    EXPECT_NEAR(scorer.score("ghbdtn", "привет", kEnglish, kRussian, kRussian, -0.1).confidence,
                0.87312, 1e-12);

    // "b" (0.18) to the common word "и" (0.76): 0.8016 + 0.08 + 0.03.
    EXPECT_NEAR(scorer.score("b", "и", kEnglish, kRussian, kEnglish, 0.0).confidence, 0.9116,
                1e-12);
}

class ConfidenceScorerTest : public ::testing::Test {
  protected:
    ConfidenceScorerTest() {
        auto detector = std::make_unique<TableLanguageDetector>();
        detector_ = detector.get();
        scorer_ = std::make_unique<ConfidenceScorer>(std::move(detector));
    }

    double confidence(const std::string& original, const std::string& converted,
                      const std::optional<KeyboardLayout>& current = std::nullopt,
                      double history = 0.0) const {
        return scorer_->score(original, converted, kEnglish, kRussian, current, history).confidence;
    }

    TableLanguageDetector* detector_;
    std::unique_ptr<ConfidenceScorer> scorer_;
};

TEST_F(ConfidenceScorerTest, AsksOriginalThenConvertedAndReportsTheParts) {
    detector_->set("abcd", kEnglish, 0.2);
    detector_->set("wxyz", kRussian, 0.7);
    const auto breakdown = scorer_->score("abcd", "wxyz", kEnglish, kRussian, std::nullopt, 0.05);
    const std::vector<std::pair<std::string, std::string>> expected{{"abcd", kEnglish.id},
                                                                    {"wxyz", kRussian.id}};
    EXPECT_EQ(detector_->questions, expected);
    EXPECT_EQ(breakdown.originalPlausibility, 0.2);
    EXPECT_EQ(breakdown.convertedPlausibility, 0.7);
    EXPECT_EQ(breakdown.historyAdjustment, 0.05);
    EXPECT_DOUBLE_EQ(breakdown.confidence, (0.7 - 0.2) * 0.52 + 0.5 + 0.05);
}

TEST_F(ConfidenceScorerTest, DictionaryMatchesCurrentLayoutAndHistoryAdjust) {
    detector_->set("abcd", kEnglish, 0.2);
    detector_->set("wxyz", kRussian, 0.6);
    const double base = (0.6 - 0.2) * 0.52 + 0.5;
    EXPECT_DOUBLE_EQ(confidence("abcd", "wxyz"), base);

    detector_->set("wxyz", kRussian, 0.6, true);
    EXPECT_DOUBLE_EQ(confidence("abcd", "wxyz"), base + 0.08);
    detector_->set("abcd", kEnglish, 0.2, true);
    EXPECT_DOUBLE_EQ(confidence("abcd", "wxyz"), base + 0.08 - 0.12);

    // The bonus needs all three fields of the current layout to match the source.
    EXPECT_DOUBLE_EQ(confidence("abcd", "wxyz", kEnglish), base + 0.08 - 0.12 + 0.03);
    EXPECT_DOUBLE_EQ(confidence("abcd", "wxyz", KeyboardLayout{kEnglish.id, "US", {"en"}}),
                     base + 0.08 - 0.12);
    EXPECT_DOUBLE_EQ(confidence("abcd", "wxyz", kRussian), base + 0.08 - 0.12);
    EXPECT_DOUBLE_EQ(confidence("abcd", "wxyz", kEnglish, -0.2), base + 0.08 - 0.12 + 0.03 - 0.2);
}

TEST_F(ConfidenceScorerTest, OnlyThreeCharacterOriginalsLoseAHundredth) {
    for (const std::string original : {"ab", "abc", "abcd", "e\u0301bc"}) {
        detector_->set(original, kEnglish, 0.2);
    }
    detector_->set("xyz", kRussian, 0.6);
    const double base = (0.6 - 0.2) * 0.52 + 0.5;
    EXPECT_DOUBLE_EQ(confidence("ab", "xyz"), base);
    EXPECT_DOUBLE_EQ(confidence("abcd", "xyz"), base);
    EXPECT_DOUBLE_EQ(confidence("abc", "xyz"), base - 0.01);
    // Characters, not scalars or bytes: "é" written with a combining accent is one.
    EXPECT_DOUBLE_EQ(confidence("e\u0301bc", "xyz"), base - 0.01);
}

TEST_F(ConfidenceScorerTest, NoGainIsCappedAndTheResultIsClamped) {
    detector_->set("abcd", kEnglish, 0.5);
    detector_->set("same", kRussian, 0.5, true);
    detector_->set("less", kRussian, 0.3);
    detector_->set("more", kRussian, 0.9, true);
    // Not more plausible: even a large history bonus stays at 0.49.
    EXPECT_EQ(confidence("abcd", "same", kEnglish, 0.5), 0.49);
    EXPECT_EQ(confidence("abcd", "less", kEnglish, 0.5), 0.49);
    // Below the cap it is left alone.
    EXPECT_DOUBLE_EQ(confidence("abcd", "less"), (0.3 - 0.5) * 0.52 + 0.5);
    EXPECT_EQ(confidence("abcd", "less", std::nullopt, -0.6), 0.0);
    EXPECT_EQ(confidence("none", "more", kEnglish, 0.06), 1.0);
    EXPECT_EQ(confidence("none", "more", kEnglish, std::numeric_limits<double>::quiet_NaN()), 0.0);
}

}  // namespace
}  // namespace plovik
