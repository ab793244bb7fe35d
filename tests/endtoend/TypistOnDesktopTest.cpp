// A person typing Russian with the US layout selected, in bursts (5 to 60 ms between keys,
// keys rolled over, Shift around capitals, Return at the end of each line), into real
// windows: every word must end exactly as typed or exactly as the simulated application
// writes it, and nearly every correction the simulated application makes must be made.
#include <cstdlib>
#include <fstream>
#include <iostream>
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
};

TEST_P(TypistOnDesktopTest, EveryWordEndsAsTypedOrAsTheSimulatedApplicationWritesIt) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    const auto lines = russianLines();
    ASSERT_FALSE(lines.empty());
    const auto toolkit = static_cast<std::size_t>(GetParam());
    const char* wordsWanted = std::getenv("PLOVIK_TYPIST_WORDS");
    const std::string meant = linesWithWords(
        lines, toolkit * 23, wordsWanted ? std::stoul(wordsWanted) : kWordsPerToolkit);
    const std::string typed = rehearsal_->keysTyped(meant, 1, 0);
    // The window that takes only keys is compared with an application that does, a
    // browser: nothing can be typed ahead of a Return held back for the word before it.
    const auto simulated =
        runBuiltProgram("plovik-correct",
                        GetParam() == Toolkit::gtkKeysOnly
                            ? std::vector<std::string>{"--app", "--app-id", "firefox-esr"}
                            : std::vector<std::string>{"--app"},
                        typed);
    ASSERT_EQ(simulated.status, 0) << simulated.err;

    const std::string earlier = earlierText(lines);
    ASSERT_TRUE(earlier.empty() || window().setText(Field::multi, earlier));
    ASSERT_TRUE(window().focus(Field::multi));
    ASSERT_TRUE(
        earlier.empty() ||
        window().select(Field::multi, static_cast<int>(text::CodePoints::length(earlier)), 0));
    rehearsal_->lockGroup(0);
    rehearsal_->typeLikeAPerson(meant, 1, static_cast<std::uint32_t>(4242 + toolkit));
    // The last corrections and the keys the application still handles.
    std::string field = settledText(window(), Field::multi);
    for (int tries = 0; tries < 20 && field.size() < typed.size() / 2; ++tries) {
        field = settledText(window(), Field::multi);
    }

    if (field.starts_with(earlier)) {
        field.erase(0, earlier.size());
    }
    const TypedWords words(typed, simulated.out, field);
    if (std::getenv("PLOVIK_TYPIST_VERBOSE")) {
        // Stopped first, Plovik says how long it held the keyboard.
        rehearsal_->stopPlovik();
        std::cerr << "typed:\n"
                  << typed << "\nsimulated:\n"
                  << simulated.out << "\nfield:\n"
                  << field << "\ngarbled: " << words.garbledCount() << ", corrections "
                  << words.correctionsMade() << " of " << words.correctionsExpected() << "\nlog:\n"
                  << rehearsal_->log();
    }
    EXPECT_TRUE(words.sameLines()) << words.firstDifference() << "\n" << rehearsal_->log();
    EXPECT_EQ(words.garbledCount(), 0u) << words.firstDifference() << "\n" << rehearsal_->log();
    EXPECT_GE(words.correctionsMade(), kLeastCorrectionsMade * words.correctionsExpected())
        << words.correctionsMade() << " of " << words.correctionsExpected() << "\n"
        << rehearsal_->log();
    RecordProperty("corrections_made", static_cast<int>(words.correctionsMade()));
    RecordProperty("corrections_expected", static_cast<int>(words.correctionsExpected()));
}

INSTANTIATE_TEST_SUITE_P(Toolkits, TypistOnDesktopTest,
                         ::testing::Values(Toolkit::gtk, Toolkit::qt, Toolkit::gtkKeysOnly),
                         [](const auto& info) { return toolkitName(info.param); });

}  // namespace
}  // namespace plovik::testing
