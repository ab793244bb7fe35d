#include <gtest/gtest.h>

#include <memory>

#include "core/correction/WordCorrector.h"
#include "core/decision/EngineFactory.h"
#include "core/history/InMemoryCorrectionHistoryStore.h"
#include "core/layouts/SystemKeyboardLayoutTranslator.h"
#include "core/layouts/TypingSimulator.h"
#include "core/support/ReferenceDate.h"
#include "decision/DecisionTestDoubles.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/simulated/SimulatedClock.h"
#include "platform/simulated/SimulatedLayoutSource.h"
#include "platform/simulated/SimulatedMainQueue.h"

namespace plovik {
namespace {

const std::string kApp = "org.example.Chat";

// A desktop whose edits can select a source as they land (Fcitx5's module): the field
// lands the edit through land().
class SourcesSelectedWithEdits final : public LayoutSource {
  public:
    explicit SourcesSelectedWithEdits(SimulatedLayoutSource& sources) : sources_(sources) {}

    std::vector<InputSource> enabledKeyboardSources() const override {
        return sources_.enabledKeyboardSources();
    }
    std::optional<InputSource> installedSource(std::string_view id) const override {
        return sources_.installedSource(id);
    }
    std::optional<std::string> currentSourceId() const override {
        return sources_.currentSourceId();
    }
    bool select(const InputSource& source) override { return sources_.select(source); }
    Subscription observeSelectionChanges(std::function<void()> handler) override {
        return sources_.observeSelectionChanges(std::move(handler));
    }
    bool selectWithNextEdit(const std::optional<InputSource>& source) override {
        asked = source;
        return std::exchange(selected_, false);
    }

    void land() {
        if (asked) {
            selected_ = sources_.select(*std::exchange(asked, std::nullopt));
        }
    }
    std::optional<InputSource> asked;

  private:
    SimulatedLayoutSource& sources_;
    bool selected_ = false;
};

// The corrector the application and plovik-correct share, over US and Russian key maps and
// the standard engine; each test plays the field through `replace`.
class WordCorrectorTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { library_ = std::make_unique<XkbKeymapLibrary>(); }
    static void TearDownTestSuite() { library_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(sources_.addKeyboardLayout("xkb:us"));
        ASSERT_TRUE(sources_.addKeyboardLayout("xkb:ru"));
        sources_.setCurrentSourceId("xkb:us");
    }

    static TokenCompletion typed(const std::string& token, const std::string& delimiter) {
        const auto keyMap = library_->keyLayoutData("xkb:us");
        TokenCompletion completion{token, delimiter, "", {}, {}};
        completion.physicalStrokes = TypingSimulator(*keyMap).strokes(token).value();
        completion.delimiterStrokes = TypingSimulator(*keyMap).strokes(delimiter).value();
        return completion;
    }

    // Applies the automatic correction of `completion`; the field answers `fieldAccepts`.
    WordCorrector::Outcome correct(const TokenCompletion& completion, bool delimiterHeldBack,
                                   bool fieldAccepts, bool switchLayout = true,
                                   bool editLands = false) {
        const auto word = corrector_.automatic(*engine_, completion, kApp, 0.8, delimiterHeldBack);
        if (!word || word->wordGoesOn) {
            ADD_FAILURE() << completion.token << " was not corrected";
            return {};
        }
        return corrector_.apply(
            *word, completion, kApp, delimiterHeldBack, switchLayout,
            [&](const TextReplacementRequest& request) {
                requests_.push_back(request);
                askedWithEdit_ = withEdits_.asked ? withEdits_.asked->id : std::nullopt;
                if (editLands) {
                    withEdits_.land();
                }
                return fieldAccepts ? TextReplacementResult{true, {}, {}}
                                    : TextReplacementResult::failure("moved on");
            });
    }

    static inline std::unique_ptr<XkbKeymapLibrary> library_;
    SimulatedLayoutSource sources_{*library_};
    SourcesSelectedWithEdits withEdits_{sources_};
    InputSourceService service_{withEdits_, SystemKeyboardLayoutTranslator(sources_)};
    SimulatedClock clock_;
    SimulatedMainQueue queue_{clock_};
    testing::EnglishOnlySpellChecker checker_;
    InMemoryCorrectionHistoryStore history_;
    const std::unique_ptr<StandardEngine> engine_ =
        EngineFactory(checker_, queue_, &history_).standard();
    CurrentTokenBuffer buffer_{WordCorrector::kContextLength,
                               WordCorrector::wordBoundary(*engine_)};
    WordCorrector corrector_{{buffer_, service_, history_, clock_}};
    std::vector<TextReplacementRequest> requests_;
    std::optional<std::string> askedWithEdit_;
};

TEST_F(WordCorrectorTest, AnAcceptedCorrectionIsRecordedAndSwitchesTheLayoutWhenAsked) {
    const auto outcome = correct(typed("ghbdtn", " "), false, true);
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0], TextReplacementRequest("ghbdtn", "привет", " ", " "));
    const auto records = history_.allRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(outcome.record, records[0].id);
    EXPECT_EQ(records[0].originalToken, "ghbdtn");
    EXPECT_EQ(records[0].correctedToken, "привет");
    EXPECT_EQ(records[0].applicationBundleIdentifier, kApp);
    EXPECT_EQ(records[0].outcome, CorrectionOutcome::accepted);
    EXPECT_EQ(records[0].timestamp, ReferenceDate::secondsSinceReferenceDate(clock_.now()));
    EXPECT_EQ(service_.currentSource()->id, "xkb:ru");
    EXPECT_FALSE(outcome.switchError);
}

TEST_F(WordCorrectorTest, ARefusedCorrectionIsRecordedAsRejectedAndChangesNothingElse) {
    const auto outcome = correct(typed("ghbdtn", " "), false, false);
    EXPECT_FALSE(outcome.replacement.succeeded);
    EXPECT_FALSE(outcome.record);
    const auto records = history_.allRecords();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].outcome, CorrectionOutcome::rejected);
    EXPECT_EQ(service_.currentSource()->id, "xkb:us");

    // Without the switch asked for, an accepted correction leaves the layout too.
    correct(typed("ghbdtn", " "), false, true, false);
    EXPECT_EQ(service_.currentSource()->id, "xkb:us");
}

// Where the desktop can, the layout switches as the edit lands, before the user's next key;
// an edit that landed but was then taken back leaves the layout as it was.
TEST_F(WordCorrectorTest, TheSwitchRidesWithTheEditAndGoesBackWithIt) {
    EXPECT_TRUE(correct(typed("ghbdtn", " "), false, true, true, true).replacement.succeeded);
    EXPECT_EQ(askedWithEdit_, "xkb:ru");
    EXPECT_EQ(service_.currentSource()->id, "xkb:ru");
    EXPECT_FALSE(withEdits_.asked) << "nothing is left for a later edit";

    sources_.setCurrentSourceId("xkb:us");
    service_.refresh();
    EXPECT_FALSE(correct(typed("ghbdtn", " "), false, false, true, true).replacement.succeeded);
    EXPECT_EQ(service_.currentSource()->id, "xkb:us");

    correct(typed("ghbdtn", " "), false, true, false, true);
    EXPECT_FALSE(askedWithEdit_) << "no switch asked, none rides along";
    EXPECT_EQ(service_.currentSource()->id, "xkb:us");
}

TEST_F(WordCorrectorTest, AWordWhoseDelimiterBecomesALetterGoesOnUnlessTheDelimiterIsHeldBack) {
    // "." is "ю" under Russian: the word is not finished.
    const auto goesOn = corrector_.automatic(*engine_, typed("ghbdtn", "."), kApp, 0.8, false);
    ASSERT_TRUE(goesOn);
    EXPECT_TRUE(goesOn->wordGoesOn);
    EXPECT_EQ(goesOn->correctedDelimiter, "ю");

    // A delimiter held back ends the word whatever it becomes, and never reaches the request.
    correct(typed("ghbdtn", "."), true, true);
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0], TextReplacementRequest("ghbdtn", "привет", "", ""));
}

}  // namespace
}  // namespace plovik
