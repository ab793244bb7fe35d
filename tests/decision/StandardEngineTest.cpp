#include <gtest/gtest.h>

#include <memory>

#include "core/decision/EngineFactory.h"
#include "core/decision/StandardEngine.h"
#include "decision/DecisionTestDoubles.h"
#include "platform/simulated/SimulatedClock.h"
#include "platform/simulated/SimulatedMainQueue.h"

namespace plovik {
namespace {

using testing::EnglishOnlySpellChecker;
using testing::TableHistory;
using testing::TableLanguageDetector;
using Candidates = std::vector<LayoutConversionCandidate>;

const KeyboardLayout kEnglish = KeyboardLayout::english();
const KeyboardLayout kRussian = KeyboardLayout::russian();
const std::string kApp = "org.example.Chat";

// The application's engine: the built-in mapper, the classifier with minimum length 3 and
// the offline detector over a spell checker that knows only English.
class StandardEngineTest : public ::testing::Test {
  protected:
    std::optional<CorrectionVerdict> automatic(const std::string& token,
                                               const Candidates& candidates,
                                               const std::string& context = "",
                                               double threshold = 0.8) const {
        return engine_.automaticDecision(token, context, kApp, kEnglish, candidates, threshold);
    }
    static Candidates russian(const std::string& token, const std::string& delimiter = " ") {
        return {{kRussian, token, delimiter}};
    }

    SimulatedClock clock_;
    SimulatedMainQueue queue_{clock_};
    EnglishOnlySpellChecker checker_;
    TableHistory history_;
    const std::unique_ptr<StandardEngine> standard_ =
        EngineFactory(checker_, queue_, &history_).standard();
    const StandardEngine& engine_ = *standard_;
};

TEST_F(StandardEngineTest, CandidateOfAWrongLayoutWordIsTheDecision) {
    const auto decision = automatic("ghbdtn", russian("привет", "."));
    const CorrectionVerdict expected{"ghbdtn",
                                     "привет",
                                     kEnglish,
                                     kRussian,
                                     ".",
                                     1.0,
                                     "Converted text is more plausible in Russian (100%)."};
    EXPECT_EQ(decision, expected);
    const std::vector<TableHistory::Key> asked{{"ghbdtn", "привет", kApp}};
    EXPECT_EQ(history_.questions, asked);
    EXPECT_EQ(automatic("ghbdtn", russian("привет"), "", 1.0)->confidence, 1.0);

    // Two undos of this correction here: 1.00312 - 0.36, shown truncated.
    history_.set("ghbdtn", "привет", kApp, -0.36);
    const auto penalised = automatic("ghbdtn", russian("привет"), "", 0.6);
    ASSERT_TRUE(penalised);
    EXPECT_EQ(penalised->reason, "Converted text is more plausible in Russian (64%).");
    history_.set("ghbdtn", "привет", kApp, -0.6);
    EXPECT_FALSE(automatic("ghbdtn", russian("привет")));
    const auto manual = engine_.manualDecision("ghbdtn", kApp, kEnglish, russian("привет"));
    ASSERT_TRUE(manual);
    EXPECT_NEAR(manual->confidence, 0.40312, 1e-12);
    EXPECT_EQ(manual->reason, "Converted text is more plausible in Russian (40%).");
}

TEST_F(StandardEngineTest, CommonShortWordsAreKeptAndReachedDespiteLength) {
    // "b" is too short, but "и" is a common Russian word: max(0.98, 0.9116).
    const auto decision = automatic("b", russian("и"));
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision->corrected, "и");
    EXPECT_EQ(decision->confidence, 0.98);
    EXPECT_EQ(decision->reason, "Converted text is a common short word.");
    // A too-short token whose conversion is no common word is never converted automatically.
    EXPECT_FALSE(automatic("xq", russian("чй"), "", 0.0));
    const Candidates mixed{{kRussian, "чй", " "}, {kRussian, "и", " "}};
    EXPECT_EQ(automatic("xq", mixed)->corrected, "и");

    // A common word of the layout in use stays, whatever the candidates say.
    EXPECT_FALSE(automatic("in", russian("шт"), "", 0.0));
    EXPECT_FALSE(automatic("In,", russian("Шт,"), "", 0.0));
    EXPECT_FALSE(engine_.automaticDecision("на", "", kApp, kRussian, {{kEnglish, "yf", " "}}, 0.0));
    // The user can still ask for it.
    EXPECT_EQ(engine_.manualDecision("in", kApp, kEnglish, russian("шт"))->corrected, "шт");
}

TEST_F(StandardEngineTest, SafetyExclusionsStopOnlyAutomaticDecisions) {
    EXPECT_FALSE(automatic("ghb@dtn", russian("при\"вет"), "", 0.0));
    EXPECT_FALSE(automatic("ghbdtn", russian("привет"), "git "));
    EXPECT_FALSE(automatic("ghbdtn", russian("привет"), "sudo "));
    EXPECT_TRUE(automatic("ghbdtn", russian("привет"), "git commit -m "));

    EXPECT_TRUE(engine_.manualDecision("ghb@dtn", kApp, kEnglish, russian("при\"вет")));
}

TEST_F(StandardEngineTest, AddressesAndPathsTypedInPiecesAreNotConverted) {
    // Words end at punctuation, so these arrive as the word after the last mark.
    for (const std::string context :
         {"http://", "see http://", "user@", "mail me at user@", "/home/", "cd ~/", "./"}) {
        EXPECT_FALSE(automatic("ghbdtn", russian("привет"), context)) << context;
        EXPECT_FALSE(automatic("b", russian("и"), context)) << context;
    }
    // Only the run since the last whitespace counts.
    for (const std::string context : {"http:// ", "user@mail.ru\n", "", "word,", "привет "}) {
        EXPECT_TRUE(automatic("ghbdtn", russian("привет"), context)) << context;
    }
    // A run that is merely short does not block.
    EXPECT_TRUE(automatic("b", russian("и"), "x"));
    // The run is judged with the text before it: "x.ghbdtn" is an argument of git, although
    // "ghbdtn" alone follows the word "x.".
    EXPECT_FALSE(automatic("ghbdtn", russian("привет"), "git x."));
    // Manual correction never looks at the text around the token.
    EXPECT_TRUE(engine_.manualDecision("ghbdtn", kApp, kEnglish, russian("привет")));
}

TEST_F(StandardEngineTest, ConvertedDelimiter) {
    // Without a delimiter of its own, a decision's delimiter is read by the built-in mapper.
    const CorrectionVerdict toRussian{"ghbdtn",     "привет", kEnglish, kRussian,
                                      std::nullopt, 1.0,      ""};
    const CorrectionVerdict toEnglish{"руддщ", "hello", kRussian, kEnglish, std::nullopt, 1.0, ""};
    EXPECT_EQ(engine_.convertedDelimiter(" ", toRussian), " ");
    EXPECT_EQ(engine_.convertedDelimiter(" ", toEnglish), " ");
    EXPECT_EQ(engine_.convertedDelimiter(".", toRussian), "ю");
    EXPECT_EQ(engine_.convertedDelimiter("?", toRussian), ",");
    EXPECT_EQ(engine_.convertedDelimiter(",", toEnglish), "?");
    // A candidate's own delimiter wins, even an empty one.
    const auto withEmpty = *engine_.manualDecision("ghbdtn", kApp, kEnglish, russian("привет", ""));
    EXPECT_EQ(engine_.convertedDelimiter(".", withEmpty), "");
    const auto withLetter = *automatic("ghbdtn", russian("привет", "б"));
    EXPECT_EQ(engine_.convertedDelimiter(",", withLetter), "б");
}

// Ranking with a detector whose answers are set per test.
class CorrectionRankingTest : public ::testing::Test {
  protected:
    CorrectionRankingTest() {
        auto detector = std::make_unique<TableLanguageDetector>();
        detector_ = detector.get();
        engine_ = EngineFactory::standard(std::move(detector), &history_);
    }

    // A candidate of `layout` scored 0.79 + `adjustment` (converted 0.5, original 0.0).
    LayoutConversionCandidate candidate(const KeyboardLayout& layout, const std::string& token,
                                        double adjustment, const std::string& delimiter = " ",
                                        const std::string& original = "abcd") {
        detector_->set(token, layout, 0.5);
        history_.set(original, token, kApp, adjustment);
        return {layout, token, delimiter};
    }
    std::optional<CorrectionVerdict> automatic(const Candidates& candidates, double threshold = 0.5,
                                               const std::string& token = "abcd") const {
        return engine_->automaticDecision(token, "", kApp, kEnglish, candidates, threshold);
    }
    std::optional<CorrectionVerdict> manual(const Candidates& candidates,
                                            const std::string& token = "abcd") const {
        return engine_->manualDecision(token, kApp, kEnglish, candidates);
    }

    const KeyboardLayout alpha_{"xkb:a", "Alpha", {"xx"}};
    const KeyboardLayout beta_{"xkb:b", "Beta", {"xx"}};
    const KeyboardLayout zulu_{"xkb:z", "Zulu", {"xx"}};
    TableHistory history_;
    TableLanguageDetector* detector_;
    std::unique_ptr<StandardEngine> engine_;
};

TEST_F(CorrectionRankingTest, TheBestMustLeadADifferentRunnerUp) {
    const auto first = candidate(alpha_, "one", 0.11);
    EXPECT_EQ(automatic({candidate(beta_, "two", 0.09), first}), std::nullopt);
    EXPECT_EQ(manual({candidate(beta_, "two", 0.09), first})->corrected, "one");
    EXPECT_EQ(automatic({candidate(beta_, "two", 0.065), first})->corrected, "one");
    EXPECT_FALSE(automatic({candidate(beta_, "two", 0.0701), first}));
    // The lead is measured after clamping: 1.0 over 0.96. It is exactly the margin, although
    // 1.0 - 0.96 computes as 0.0399999...
    const auto clamped = automatic({candidate(beta_, "two", 0.17), candidate(alpha_, "one", 0.5)});
    ASSERT_TRUE(clamped);
    EXPECT_EQ(clamped->corrected, "one");
    // The same word with another delimiter is no rival, even at equal confidence.
    const auto decision =
        automatic({candidate(beta_, "one", 0.11, ","), candidate(alpha_, "one", 0.11)});
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision->targetLayout, alpha_);
    EXPECT_EQ(decision->correctedDelimiter, " ");
    EXPECT_DOUBLE_EQ(decision->confidence, 0.9);
}

TEST_F(CorrectionRankingTest, SameWordAndDelimiterMergeIntoTheMoreConfident) {
    const Candidates candidates{candidate(alpha_, "one", 0.0), candidate(beta_, "one", 0.0),
                                candidate(zulu_, "two", 0.0)};
    detector_->set("one", beta_, 0.7);  // 0.894, against 0.79 for the others
    const auto decision = automatic(candidates);
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision->targetLayout, beta_);
    EXPECT_EQ(decision->reason, "Converted text is more plausible in Beta (89%).");
    // Merged away, the same word no longer shields the best from a close different one.
    detector_->set("one", alpha_, 0.7);
    detector_->set("one", beta_, 0.65);
    detector_->set("two", zulu_, 0.65);
    EXPECT_FALSE(automatic(candidates));
    // On equal confidence the earlier candidate stays, although its name sorts later.
    EXPECT_EQ(manual({candidate(zulu_, "one", 0.0), candidate(alpha_, "one", 0.0)})->targetLayout,
              zulu_);
}

TEST_F(CorrectionRankingTest, EqualConfidenceSortsByNameIgnoringCase) {
    const KeyboardLayout russian{"xkb:ru", "Russian", {"xx"}};
    const KeyboardLayout belarusian{"xkb:by", "belarusian", {"xx"}};
    const Candidates candidates{candidate(russian, "one", 0.0), candidate(belarusian, "two", 0.0)};
    EXPECT_EQ(manual(candidates)->targetLayout, belarusian);
    EXPECT_FALSE(automatic(candidates));
}

TEST_F(CorrectionRankingTest, CandidatesThatChangeNothingAreIgnored) {
    const Candidates useless{{alpha_, "abcd", " "}, {beta_, "", " "}};
    EXPECT_FALSE(automatic(useless, 0.0));
    EXPECT_FALSE(manual(useless));
    EXPECT_TRUE(history_.questions.empty());
    EXPECT_TRUE(detector_->questions.empty());
    Candidates withOne = useless;
    withOne.push_back(candidate(zulu_, "one", 0.0));
    EXPECT_EQ(automatic(withOne)->corrected, "one");
}

TEST_F(CorrectionRankingTest, ThresholdCapAndThreeCharacterPenalty) {
    const auto one = candidate(alpha_, "one", 0.0);
    const double plain = 0.5 * 0.52 + 0.5 + 0.03;
    EXPECT_DOUBLE_EQ(manual({one})->confidence, plain);
    // The percentage is truncated, not rounded: 0.946 shows as 94.
    const auto better = candidate(beta_, "two", 0.0);
    detector_->set("two", beta_, 0.8);
    EXPECT_EQ(manual({better})->reason, "Converted text is more plausible in Beta (94%).");
    EXPECT_TRUE(automatic({one}, plain));
    // A rounding error is no shortfall; a real one is.
    EXPECT_TRUE(automatic({one}, std::nextafter(plain, 1.0)));
    EXPECT_FALSE(automatic({one}, plain + 1e-6));

    // Three characters lose a hundredth before the threshold; four do not, nor does a
    // two-character token (asked manually, as it is too short for automatic correction).
    const auto fromThree = candidate(alpha_, "one", 0.0, " ", "abc");
    EXPECT_DOUBLE_EQ(manual({fromThree}, "abc")->confidence, plain - 0.01);
    EXPECT_FALSE(automatic({fromThree}, plain, "abc"));
    EXPECT_TRUE(automatic({fromThree}, plain - 0.01, "abc"));
    const auto fromTwo = candidate(alpha_, "one", 0.0, " ", "ab");
    EXPECT_DOUBLE_EQ(manual({fromTwo}, "ab")->confidence, plain);

    // No gain in plausibility: capped at 0.49 even with the largest history bonus.
    detector_->set("abcd", kEnglish, 0.6);
    const auto capped = candidate(alpha_, "one", 0.06);
    EXPECT_FALSE(automatic({capped}, 0.5));
    EXPECT_EQ(manual({capped})->confidence, 0.49);
    EXPECT_EQ(manual({capped})->reason, "Converted text is more plausible in Alpha (49%).");
}

TEST(StandardEngine, WithoutHistoryNothingIsAdjusted) {
    auto detector = std::make_unique<TableLanguageDetector>();
    detector->set("abcd", KeyboardLayout::russian(), 0.5);
    const auto engine = EngineFactory::standard(std::move(detector), nullptr);
    const auto decision = engine->manualDecision("wxyz", "app", KeyboardLayout::english(),
                                                 {{KeyboardLayout::russian(), "abcd", " "}});
    ASSERT_TRUE(decision);
    EXPECT_DOUBLE_EQ(decision->confidence, 0.5 * 0.52 + 0.5 + 0.03);
}

}  // namespace
}  // namespace plovik
