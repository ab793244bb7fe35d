#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "core/decision/ConfidenceScorer.h"
#include "core/decision/OfflineLanguageDetector.h"
#include "decision/DecisionTestDoubles.h"
#include "platform/simulated/SimulatedClock.h"
#include "platform/simulated/SimulatedMainQueue.h"

namespace plovik {
namespace {

using testing::EnglishOnlySpellChecker;
using testing::TableLanguageDetector;

const KeyboardLayout kEnglish = KeyboardLayout::english();
const KeyboardLayout kRussian = KeyboardLayout::russian();

TEST(ConfidenceScorer, WorkedExampleWithTheOfflineDetector) {
    SimulatedClock clock;
    SimulatedMainQueue queue(clock);
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
}

TEST_F(ConfidenceScorerTest, GainDictionaryMatchesCurrentLayoutAndHistoryMoveIt) {
    detector_->set("abcd", kEnglish, 0.2);
    detector_->set("more", kRussian, 0.7);
    detector_->set("wxyz", kRussian, 0.6);
    const double base = confidence("abcd", "wxyz");
    EXPECT_GT(confidence("abcd", "more"), base);

    detector_->set("wxyz", kRussian, 0.6, true);
    const double convertedMatch = confidence("abcd", "wxyz");
    EXPECT_GT(convertedMatch, base);
    detector_->set("abcd", kEnglish, 0.2, true);
    const double bothMatch = confidence("abcd", "wxyz");
    EXPECT_LT(bothMatch, convertedMatch);

    // The bonus needs all three fields of the current layout to match the source.
    EXPECT_GT(confidence("abcd", "wxyz", kEnglish), bothMatch);
    EXPECT_EQ(confidence("abcd", "wxyz", KeyboardLayout{kEnglish.id, "US", {"en"}}), bothMatch);
    EXPECT_EQ(confidence("abcd", "wxyz", kRussian), bothMatch);
    EXPECT_NEAR(confidence("abcd", "wxyz", std::nullopt, -0.2), bothMatch - 0.2, 1e-12);
}

TEST_F(ConfidenceScorerTest, OnlyThreeCharacterOriginalsLoseALittle) {
    for (const std::string original : {"ab", "abc", "abcd", "e\u0301bc"}) {
        detector_->set(original, kEnglish, 0.2);
    }
    detector_->set("xyz", kRussian, 0.6);
    const double unaffected = confidence("ab", "xyz");
    EXPECT_EQ(confidence("abcd", "xyz"), unaffected);
    EXPECT_LT(confidence("abc", "xyz"), unaffected);
    // Characters, not scalars or bytes: "é" written with a combining accent is one.
    EXPECT_EQ(confidence("e\u0301bc", "xyz"), confidence("abc", "xyz"));
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
    EXPECT_LT(confidence("abcd", "less"), 0.49);
    EXPECT_GT(confidence("abcd", "less"), 0.0);
    EXPECT_EQ(confidence("abcd", "less", std::nullopt, -0.6), 0.0);
    EXPECT_EQ(confidence("none", "more", kEnglish, 0.06), 1.0);
    EXPECT_EQ(confidence("none", "more", kEnglish, std::numeric_limits<double>::quiet_NaN()), 0.0);
}

}  // namespace
}  // namespace plovik
