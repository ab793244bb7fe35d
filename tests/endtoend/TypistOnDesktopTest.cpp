// A person typing Russian with the US layout selected, in bursts (5 to 60 ms between keys,
// keys rolled over, Shift around capitals, Return at the end of each line), into real
// windows: every word must end exactly as typed or exactly as the simulated application
// writes it, and nearly every correction the simulated application makes must be made.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include "core/text/CodePoints.h"
#include "endtoend/PlovikDesktopFixture.h"
#include "endtoend/TypedWords.h"
#include "support/ProgramRun.h"

namespace plovik::testing {
namespace {

using Field = FixtureWindow::Field;

constexpr std::size_t kWordsPerToolkit = 300;
// The share of the simulated application's corrections that must be made. Under the
// sanitizers the share measures their slowness, not Plovik: only the text is checked there.
#if defined(__SANITIZE_ADDRESS__)
constexpr double kLeastCorrectionsMade = 0.0;
#else
constexpr double kLeastCorrectionsMade = 0.95;
#endif

std::vector<std::string> russianLines() {
    std::ifstream file(PLOVIK_TEST_DATA_DIR "/typist/russian.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

// Lines from `first` on, round the end, until they hold `words` words.
std::string linesWithWords(const std::vector<std::string>& lines, std::size_t first,
                           std::size_t words) {
    std::string text;
    std::size_t counted = 0;
    for (std::size_t i = first; counted < words; ++i) {
        const std::string& line = lines[i % lines.size()];
        std::istringstream stream(line);
        counted += std::distance(std::istream_iterator<std::string>(stream),
                                 std::istream_iterator<std::string>());
        text += line + "\n";
    }
    return text;
}

// With PLOVIK_TYPIST_EARLIER_TEXT=N, the field holds N characters of the same lines before
// the typist starts: what a long document costs each correction, without typing it first.
std::string earlierText(const std::vector<std::string>& lines) {
    const char* wanted = std::getenv("PLOVIK_TYPIST_EARLIER_TEXT");
    const std::size_t characters = wanted ? std::stoul(wanted) : 0;
    std::string text;
    for (std::size_t i = 0; text::CodePoints::length(text) < characters; ++i) {
        text += lines[i % lines.size()] + "\n";
    }
    return text;
}

class TypistOnDesktopTest : public PlovikDesktopTest,
                            public ::testing::WithParamInterface<Toolkit> {
  protected:
    void SetUp() override {
        const Toolkit toolkit = GetParam();
        // The user's keys come from a keyboard, Plovik's from XTest, as on a real desktop.
        sessionOptions_.keyboardDevice = true;
        // Every word under US: the layout is not switched after a correction.
        std::vector<EnabledApplication> enabled{
            DesktopRehearsal::enabled(toolkit == Toolkit::qt ? kQtId : kGtkId, "Fixture", false)};
        start(enabled, {toolkit});
    }

    // What was typed, what the simulated application writes and what the field shows.
    struct Typed {
        std::string keys;
        std::string simulated;
        std::string field;
    };

    // The typist types lines holding `words` words in the multi-line field.
    std::optional<Typed> typeLines(std::size_t words, Typist::Rhythm rhythm) {
        const auto lines = russianLines();
        const auto toolkit = static_cast<std::size_t>(GetParam());
        const std::string meant = linesWithWords(lines, toolkit * 23, words);
        Typed typed;
        typed.keys = rehearsal_->keysTyped(meant, 1, 0);
        // The window that takes only keys is compared with an application that does, a
        // browser: nothing can be typed ahead of a Return held back for the word before it.
        const auto simulated =
            runBuiltProgram("plovik-correct",
                            GetParam() == Toolkit::gtkKeysOnly
                                ? std::vector<std::string>{"--app", "--app-id", "firefox-esr"}
                                : std::vector<std::string>{"--app"},
                            typed.keys);
        EXPECT_EQ(simulated.status, 0) << simulated.err;
        typed.simulated = simulated.out;

        const std::string earlier = earlierText(lines);
        if (lines.empty() || simulated.status != 0 ||
            !(earlier.empty() || window().setText(Field::multi, earlier)) ||
            !window().focus(Field::multi) ||
            !(earlier.empty() ||
              window().select(Field::multi, static_cast<int>(text::CodePoints::length(earlier)),
                              0))) {
            ADD_FAILURE() << "the field could not be prepared";
            return std::nullopt;
        }
        rehearsal_->lockGroup(0);
        rehearsal_->typeLikeAPerson(meant, 1, static_cast<std::uint32_t>(4242 + toolkit), rhythm);
        // The last corrections and the keys the application still handles.
        typed.field = settledText(window(), Field::multi);
        for (int tries = 0; tries < 20 && typed.field.size() < typed.keys.size() / 2; ++tries) {
            typed.field = settledText(window(), Field::multi);
        }
        if (typed.field.starts_with(earlier)) {
            typed.field.erase(0, earlier.size());
        }
        return typed;
    }

    void report(const Typed& typed, const TypedWords& words) {
        if (std::getenv("PLOVIK_TYPIST_VERBOSE")) {
            // Stopped first, Plovik says how long it held the keyboard.
            rehearsal_->stopPlovik();
            std::cerr << "typed:\n"
                      << typed.keys << "\nsimulated:\n"
                      << typed.simulated << "\nfield:\n"
                      << typed.field << "\ngarbled: " << words.garbledCount() << ", corrections "
                      << words.correctionsMade() << " of " << words.correctionsExpected()
                      << "\nlog:\n"
                      << rehearsal_->log();
        }
    }
};

TEST_P(TypistOnDesktopTest, EveryWordEndsAsTypedOrAsTheSimulatedApplicationWritesIt) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    const char* wordsWanted = std::getenv("PLOVIK_TYPIST_WORDS");
    const auto typed =
        typeLines(wordsWanted ? std::stoul(wordsWanted) : kWordsPerToolkit, Typist::Rhythm{});
    ASSERT_TRUE(typed);
    const TypedWords words(typed->keys, typed->simulated, typed->field);
    report(*typed, words);
    EXPECT_TRUE(words.sameLines()) << words.firstDifference() << "\n" << rehearsal_->log();
    EXPECT_EQ(words.garbledCount(), 0u) << words.firstDifference() << "\n" << rehearsal_->log();
    EXPECT_GE(words.correctionsMade(), kLeastCorrectionsMade * words.correctionsExpected())
        << words.correctionsMade() << " of " << words.correctionsExpected() << "\n"
        << rehearsal_->log();
    RecordProperty("corrections_made", static_cast<int>(words.correctionsMade()));
    RecordProperty("corrections_expected", static_cast<int>(words.correctionsExpected()));
}

// Every key 3 to 10 ms after the one before, several down at once: the keys typed while a
// correction holds the keyboard are taken back and typed again nearly every time, letters
// pressed twice, Shift and Return among them, and a Return often meets the hold's own grab.
// Many corrections are given up; no word may suffer. Run by `make soak`, on a quiet machine:
// under other work's load holds run out at this speed and keys can still go lost.
TEST_P(TypistOnDesktopTest, UnbrokenFastBurstsLoseAndReorderNothing) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    Typist::Rhythm bursts;
    bursts.fastest = std::chrono::milliseconds(3);
    bursts.slowest = std::chrono::milliseconds(10);
    const auto typed = typeLines(kWordsPerToolkit, bursts);
    ASSERT_TRUE(typed);
    const TypedWords words(typed->keys, typed->simulated, typed->field);
    report(*typed, words);
    EXPECT_TRUE(words.sameLines()) << words.firstDifference() << "\n" << rehearsal_->log();
    EXPECT_EQ(words.garbledCount(), 0u) << words.firstDifference() << "\n" << rehearsal_->log();
    RecordProperty("corrections_made", static_cast<int>(words.correctionsMade()));
}

INSTANTIATE_TEST_SUITE_P(Toolkits, TypistOnDesktopTest,
                         ::testing::Values(Toolkit::gtk, Toolkit::qt, Toolkit::gtkKeysOnly),
                         [](const auto& info) { return toolkitName(info.param); });

}  // namespace
}  // namespace plovik::testing
