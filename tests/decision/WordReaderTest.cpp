#include <gtest/gtest.h>

#include <memory>

#include "core/decision/EngineFactory.h"
#include "core/decision/StandardEngine.h"
#include "core/decision/WordReader.h"
#include "core/layouts/TypingSimulator.h"
#include "decision/DecisionTestDoubles.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/simulated/SimulatedClock.h"
#include "platform/simulated/SimulatedLayoutSource.h"
#include "platform/simulated/SimulatedMainQueue.h"

namespace plovik {
namespace {

const std::string kApp = "org.example.Chat";

// The word reader over US and Russian key maps and the application's standard engine.
class WordReaderTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { library_ = std::make_unique<XkbKeymapLibrary>(); }
    static void TearDownTestSuite() { library_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(sources_.addKeyboardLayout("xkb:us"));
        ASSERT_TRUE(sources_.addKeyboardLayout("xkb:ru"));
        sources_.setCurrentSourceId("xkb:us");
    }

    static TokenCompletion typed(const std::string& token, const std::string& delimiter,
                                 const std::string& context = "") {
        const auto keyMap = library_->keyLayoutData("xkb:us");
        TokenCompletion completion{token, delimiter, context, {}, {}};
        completion.physicalStrokes = TypingSimulator(*keyMap).strokes(token).value();
        completion.delimiterStrokes = TypingSimulator(*keyMap).strokes(delimiter).value();
        return completion;
    }
    // A word that reached the buffer without keys, as text read back from the field does.
    static TokenCompletion withoutKeys(const std::string& token, const std::string& delimiter,
                                       const std::string& context = "") {
        return {token, delimiter, context, {}, {}};
    }
    std::optional<CorrectionVerdict> automatic(const TokenCompletion& completion,
                                               double threshold = 0.8) {
        return reader_.automaticDecision(engine_, completion, kApp, threshold);
    }
    std::optional<CorrectionVerdict> manual(const TokenCompletion& completion) const {
        return reader_.manualDecision(engine_, completion, kApp);
    }

    static inline std::unique_ptr<XkbKeymapLibrary> library_;
    SimulatedLayoutSource sources_{*library_};
    InputSourceService service_{sources_, SystemKeyboardLayoutTranslator(sources_)};
    SimulatedClock clock_;
    SimulatedMainQueue queue_{clock_};
    testing::EnglishOnlySpellChecker checker_;
    const std::unique_ptr<StandardEngine> standard_ =
        EngineFactory(checker_, queue_, nullptr).standard();
    const StandardEngine& engine_ = *standard_;
    WordReader reader_{service_};
};

TEST_F(WordReaderTest, KeysAreReadThroughTheOtherEnabledLayouts) {
    const auto decision = automatic(typed("ghbdtn", "."));
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision->corrected, "привет");
    EXPECT_EQ(decision->sourceLayout.id, "xkb:us");
    EXPECT_EQ(decision->targetLayout.id, "xkb:ru");
    EXPECT_EQ(decision->correctedDelimiter, "ю");
    EXPECT_FALSE(automatic(typed("hello", " ")));
    // Rules of the engine still hold: an address is no word.
    EXPECT_FALSE(automatic(typed("ghbdtn", " ", "http://")));
}

TEST_F(WordReaderTest, WithoutKeysTheBuiltInMapperReadsTheWord) {
    const auto russian = automatic(withoutKeys("ghbdtn", "."));
    ASSERT_TRUE(russian);
    EXPECT_EQ(russian->corrected, "привет");
    EXPECT_EQ(russian->sourceLayout, KeyboardLayout::english());
    EXPECT_EQ(russian->targetLayout, KeyboardLayout::russian());
    EXPECT_EQ(engine_.convertedDelimiter(".", *russian), "ю");
    const auto english = automatic(withoutKeys("руддщ", ","));
    ASSERT_TRUE(english);
    EXPECT_EQ(english->corrected, "hello");
    EXPECT_EQ(english->targetLayout, KeyboardLayout::english());
    EXPECT_EQ(engine_.convertedDelimiter(",", *english), "?");
    // Nothing to read: no letters, mixed alphabets, an empty word.
    for (const std::string token : {"1234", "helloмир", ""}) {
        EXPECT_FALSE(automatic(withoutKeys(token, " "), 0.0)) << token;
        EXPECT_FALSE(manual(withoutKeys(token, " "))) << token;
    }
    // With no layout selected the keys cannot be re-read either.
    sources_.setCurrentSourceId(std::nullopt);
    const auto unselected = automatic(typed("ghbdtn", " "));
    ASSERT_TRUE(unselected);
    EXPECT_EQ(unselected->targetLayout, KeyboardLayout::russian());
}

TEST_F(WordReaderTest, ManualDecisionsSkipTheRulesButNotTheReading) {
    EXPECT_FALSE(automatic(withoutKeys("ghb@dtn", " "), 0.0));
    EXPECT_EQ(manual(withoutKeys("ghb@dtn", " "))->corrected, "при@вет");
    EXPECT_FALSE(automatic(typed("in", " "), 0.0));
    EXPECT_EQ(manual(typed("in", " "))->corrected, "шт");
    EXPECT_EQ(manual(typed("ghbdtn", " ", "sudo "))->corrected, "привет");
}

TEST_F(WordReaderTest, AWordCorrectedMidwayIsReadInItsNewLayoutUntilItEnds) {
    auto completion = typed("ghb[jlbn", " ");
    completion.token = "прихjlbn";
    completion.typedText = "ghb[jlbn";
    // Nothing was corrected yet: the engine judges the mixture and keeps it.
    EXPECT_FALSE(automatic(completion, 0.0));
    const auto first = manual(typed("ghb", "["));
    ASSERT_TRUE(first);
    reader_.noteApplied(*first, false);
    EXPECT_FALSE(automatic(completion, 0.0));
    reader_.noteApplied(*first, true);
    const auto continued = automatic(completion, 1.0);
    ASSERT_TRUE(continued);
    EXPECT_EQ(continued->corrected, "приходит");
    EXPECT_EQ(continued->reason, "Continues a word corrected to Russian.");
}

// Keeps the layout the word reader says the word before was typed in, and decides nothing.
class PreviousLayoutRecorder final : public DecisionEngine {
  public:
    bool judgesWholeRuns() const override { return true; }
    SafetyAssessment assessSafety(std::string_view, std::string_view) const override { return {}; }
    using DecisionEngine::automaticDecision;
    std::optional<CorrectionVerdict> automaticDecision(
        std::string_view, std::string_view, std::string_view, const KeyboardLayout&,
        const std::vector<LayoutConversionCandidate>&, double,
        const std::optional<PreviousWord>& previousWord) const override {
        previous = previousWord ? std::optional(previousWord->layout) : std::nullopt;
        previousText = previousWord ? previousWord->text : "";
        return std::nullopt;
    }
    std::optional<CorrectionVerdict> manualDecision(
        std::string_view, std::string_view, const KeyboardLayout&,
        const std::vector<LayoutConversionCandidate>&) const override {
        return std::nullopt;
    }
    std::string convertedDelimiter(std::string_view delimiter,
                                   const CorrectionVerdict&) const override {
        return std::string(delimiter);
    }
    mutable std::optional<KeyboardLayout> previous;
    mutable std::string previousText;
};

TEST_F(WordReaderTest, TheEngineLearnsTheLayoutOfTheWordRightBefore) {
    PreviousLayoutRecorder engine;
    const auto previousFor = [&](const TokenCompletion& completion) {
        engine.previous = KeyboardLayout::english();
        reader_.automaticDecision(engine, completion, kApp, 0.9);
        return engine.previous ? std::optional(engine.previous->id) : std::nullopt;
    };
    EXPECT_EQ(previousFor(typed("vtyk", " ")), std::nullopt);
    // The user switched to Russian after it.
    sources_.setCurrentSourceId("xkb:ru");
    EXPECT_EQ(previousFor(typed("ghbdtn", " ", "vtyk ")), "xkb:us");
    EXPECT_EQ(engine.previousText, "vtyk ");
    EXPECT_EQ(previousFor(typed("vbh", ", ", "vtyk ghbdtn ")), "xkb:ru");
    EXPECT_EQ(engine.previousText, "ghbdtn ");
    // A word no longer right before (edited, or the caret moved) says nothing...
    EXPECT_EQ(previousFor(typed("lf", " ", "vtyk ghbdtn ")), std::nullopt);
    // ...unless nothing is known since: switching layouts empties the buffer.
    previousFor(typed("lf", " ", "vtyk "));
    EXPECT_EQ(previousFor(typed("ytn", " ")), "xkb:ru");
    // Words typed in another application say nothing either.
    engine.previous = KeyboardLayout::english();
    reader_.automaticDecision(engine, typed("lf", " "), "org.example.Other", 0.9);
    EXPECT_EQ(engine.previous, std::nullopt);
    // Neither does one corrected, which may have switched the layout itself...
    previousFor(typed("lf", " ", "vtyk "));
    CorrectionVerdict applied;
    applied.original = "lf";
    applied.corrected = "да";
    reader_.noteApplied(applied, false);
    EXPECT_EQ(previousFor(typed("ytn", " ", "vtyk lf ")), std::nullopt);
    // ...nor one read back without its keys.
    previousFor(withoutKeys("ytn", " ", "vtyk "));
    EXPECT_EQ(previousFor(typed("lf", " ", "vtyk ytn ")), std::nullopt);
}

}  // namespace
}  // namespace plovik
