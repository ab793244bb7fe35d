#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/tokens/CurrentTokenBuffer.h"

namespace plovik {
namespace {

using Strokes = std::vector<PhysicalKeyStroke>;

const PhysicalKeyStroke kA{Key::a, {}};
const PhysicalKeyStroke kB{Key::b, {}};
const PhysicalKeyStroke kE{Key::e, {}};
const PhysicalKeyStroke kJ{Key::j, {}};
const PhysicalKeyStroke kSpace{Key::space, {}};
const PhysicalKeyStroke kComma{Key::comma, {}};
const PhysicalKeyStroke kDeadAcute{Key::e, Modifier::levelThree};

TEST(CurrentTokenBuffer, WordsEndAtDelimitersWithTheirStrokes) {
    CurrentTokenBuffer buffer(64);
    EXPECT_TRUE(buffer.consume("a", kA).empty());
    EXPECT_TRUE(buffer.consume("b", kB).empty());
    EXPECT_EQ(buffer.currentToken(), "ab");
    const auto completions = buffer.consume(" ", kSpace);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_EQ(completions[0], (TokenCompletion{"ab", " ", "", Strokes{kA, kB}, Strokes{kSpace}}));
    EXPECT_EQ(buffer.lastCompletion(), completions[0]);
    EXPECT_EQ(buffer.recentContext(), "ab ");
    EXPECT_EQ(buffer.currentToken(), "");

    // The next word carries the context before it.
    buffer.consume("j", kJ);
    const auto next = buffer.consume("\n", std::nullopt);
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0], (TokenCompletion{"j", "\n", "ab ", Strokes{kJ}, Strokes{}}));
    EXPECT_EQ(buffer.recentContext(), "ab j\n");
}

TEST(CurrentTokenBuffer, TextWithoutKeysSplitsIntoWordsAndTrailingToken) {
    CurrentTokenBuffer buffer(64);
    const auto completions = buffer.consume("a b c", std::nullopt);
    ASSERT_EQ(completions.size(), 2u);
    EXPECT_EQ(completions[0], (TokenCompletion{"a", " ", "", {}, {}}));
    EXPECT_EQ(completions[1], (TokenCompletion{"b", " ", "a ", {}, {}}));
    EXPECT_EQ(buffer.currentToken(), "c");
    EXPECT_EQ(buffer.recentContext(), "a b ");

    // One key typing a word and its delimiter: the key's stroke goes to the first
    // character only.
    CurrentTokenBuffer chunk(64);
    const auto words = chunk.consume("xy.", kA);
    ASSERT_EQ(words.size(), 1u);
    EXPECT_EQ(words[0], (TokenCompletion{"xy", ".", "", Strokes{kA}, Strokes{}}));
}

TEST(CurrentTokenBuffer, DeadKeyStrokesWaitForTheCharacterTheyMake) {
    CurrentTokenBuffer buffer(64);
    buffer.consume("x", kA);
    EXPECT_TRUE(buffer.consume("", kDeadAcute).empty());
    EXPECT_TRUE(buffer.consume("", std::nullopt).empty());
    EXPECT_EQ(buffer.currentToken(), "x") << "empty text only records its stroke";
    buffer.consume("é", kE);
    EXPECT_EQ(buffer.candidateForManualCorrection()->physicalStrokes,
              (Strokes{kA, kDeadAcute, kE}));
    // The accented letter came from two strokes; one backspace removes both.
    buffer.deleteBackward();
    EXPECT_EQ(buffer.currentToken(), "x");
    EXPECT_EQ(buffer.candidateForManualCorrection()->physicalStrokes, (Strokes{kA}));

    // A deletion forgets a dead key that led nowhere.
    buffer.consume("", kDeadAcute);
    buffer.deleteBackward();
    buffer.consume("b", kB);
    EXPECT_EQ(buffer.currentToken(), "b");
    EXPECT_EQ(buffer.candidateForManualCorrection()->physicalStrokes, (Strokes{kB}));

    // A dead key followed by a delimiter hands both strokes to the delimiter.
    buffer.consume("", kDeadAcute);
    const auto completions = buffer.consume(" ", kSpace);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_EQ(completions[0].delimiterStrokes, (Strokes{kDeadAcute, kSpace}));

    // A key typing a combining accent joins the letter before it into one character:
    // one backspace removes the letter's and the accent's strokes.
    buffer.consume("e", kE);
    buffer.consume("\u0301", kDeadAcute);
    buffer.consume("\u0302", std::nullopt);
    EXPECT_EQ(buffer.currentToken(), "e\u0301\u0302");
    buffer.deleteBackward();
    EXPECT_EQ(buffer.currentToken(), "");
    buffer.consume("b", kB);
    EXPECT_EQ(buffer.candidateForManualCorrection()->physicalStrokes, (Strokes{kB}));
}

TEST(CurrentTokenBuffer, CharactersOfOneKeyShareItsStrokeUntilDeleted) {
    CurrentTokenBuffer buffer(64);
    buffer.consume("q", kJ);
    buffer.consume("ab", kA);
    EXPECT_EQ(buffer.candidateForManualCorrection()->physicalStrokes, (Strokes{kJ, kA}));
    buffer.deleteBackward();
    EXPECT_EQ(buffer.currentToken(), "qa");
    EXPECT_EQ(buffer.candidateForManualCorrection()->physicalStrokes, (Strokes{kJ, kA}));
    buffer.deleteBackward();
    EXPECT_EQ(buffer.candidateForManualCorrection()->physicalStrokes, (Strokes{kJ}));
    buffer.deleteBackward();
    buffer.deleteBackward();
    EXPECT_EQ(buffer.currentToken(), "");
    EXPECT_FALSE(buffer.candidateForManualCorrection());

    // Deletion goes on into the context, character by character, and stops at nothing.
    buffer.consume("ой ", std::nullopt);
    buffer.deleteBackward();
    buffer.deleteBackward();
    EXPECT_EQ(buffer.recentContext(), "о");
    EXPECT_EQ(buffer.lastCompletion()->token, "ой") << "deletion leaves the last word";
    buffer.deleteBackward();
    buffer.deleteBackward();
    EXPECT_EQ(buffer.recentContext(), "");
}

TEST(CurrentTokenBuffer, PunctuationStartsAWordOnlyWhenItsOwnKeyBeginsIt) {
    CurrentTokenBuffer buffer(64);
    // In the Russian layout the comma key types a letter.
    EXPECT_TRUE(buffer.consume(",", kComma).empty());
    EXPECT_EQ(buffer.currentToken(), ",");
    buffer.consume("j", kJ);
    EXPECT_EQ(buffer.candidateForManualCorrection()->physicalStrokes, (Strokes{kComma, kJ}));
    const auto completions = buffer.consume(",", kComma);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_EQ(completions[0],
              (TokenCompletion{",j", ",", "", Strokes{kComma, kJ}, Strokes{kComma}}));

    // Without a stroke, or as the second character of a chunk, it is a loose delimiter.
    CurrentTokenBuffer loose(64);
    loose.consume(",", std::nullopt);
    loose.consume(" ", kSpace);
    // The first character of a chunk may start a word, which the second one ends.
    const auto chunk = loose.consume("!?", kComma);
    ASSERT_EQ(chunk.size(), 1u);
    EXPECT_EQ(chunk[0], (TokenCompletion{"!", "?", ", ", Strokes{kComma}, {}}));
    EXPECT_EQ(loose.recentContext(), ", !?");
    loose.consume(";", std::nullopt);
    loose.consume("a", kA);
    EXPECT_EQ(loose.currentToken(), "a");
    EXPECT_EQ(loose.recentContext(), ", !?;");
}

TEST(CurrentTokenBuffer, ClassifiesCharactersByUnicodeProperties) {
    for (const char* delimiter :
         {" ", "\t", "\n", "\r\n", "\u00a0", "\u2003", ",",  ".", ";", ":", "'", "\"", "[", "}",
          "(", "-",  "_",  "!",    "?",      "/",      "\\", "#", "%", "&", "*", "«",  "—"}) {
        EXPECT_TRUE(CurrentTokenBuffer::isDelimiter(delimiter)) << delimiter;
    }
    for (const char* other :
         {"a", "я", "1", "`", "~", "^", "$", "+", "=", "<", ">", "|", "é", "e\u0301", "", "\x1b"}) {
        EXPECT_FALSE(CurrentTokenBuffer::isDelimiter(other)) << other;
    }

    CurrentTokenBuffer buffer(64);
    // Deletion characters act as backspace, other controls are ignored, symbols are letters.
    buffer.consume(
        "ab\x7f"
        "c\x1b\u200b",
        std::nullopt);
    EXPECT_EQ(buffer.currentToken(), "ac");
    buffer.consume("\b", kA);
    buffer.consume("`~", kA);
    EXPECT_EQ(buffer.currentToken(), "a`~");
    // A carriage return and line feed are one delimiter.
    const auto completions = buffer.consume("\r\n", std::nullopt);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_EQ(completions[0].delimiter, "\r\n");
}

TEST(CurrentTokenBuffer, ContextKeepsItsLastCharactersOnly) {
    CurrentTokenBuffer buffer(64);
    const std::string sixtyFour(64, 'x');
    buffer.consume(sixtyFour, std::nullopt);
    buffer.consume(" ", kSpace);
    EXPECT_EQ(buffer.recentContext(), std::string(63, 'x') + " ");
    buffer.consume(" ", kSpace);
    EXPECT_EQ(buffer.recentContext(), std::string(62, 'x') + "  ");
    EXPECT_EQ(buffer.currentToken(), "");
    EXPECT_FALSE(buffer.lastCompletion()->token.empty());

    // Characters, not bytes or scalars, are counted.
    CurrentTokenBuffer small(3);
    small.consume("пé", std::nullopt);
    small.consume("e\u0301 ", std::nullopt);
    EXPECT_EQ(small.recentContext(), "ée\u0301 ");
    small.consume("я ", std::nullopt);
    EXPECT_EQ(small.recentContext(), " я ");

    CurrentTokenBuffer none(0);
    EXPECT_EQ(none.consume("a ", std::nullopt).size(), 1u);
    EXPECT_EQ(none.recentContext(), "");
    EXPECT_EQ(none.maximumContextLength(), 0);
    EXPECT_THROW(CurrentTokenBuffer(-1), std::invalid_argument);
}

TEST(CurrentTokenBuffer, SynchronizesWithTheVisibleTextBeforeTyping) {
    const auto bufferWithA = [] {
        CurrentTokenBuffer buffer(64);
        buffer.consume("z ", std::nullopt);
        buffer.consume("a", kA);
        return buffer;
    };
    auto kept = bufferWithA();
    kept.synchronizeBeforeConsuming("b", "xab");
    EXPECT_EQ(kept.currentToken(), "a");

    auto abandoned = bufferWithA();
    abandoned.synchronizeBeforeConsuming("b", "xq");
    EXPECT_EQ(abandoned.currentToken(), "");
    EXPECT_EQ(abandoned.recentContext(), "");
    EXPECT_FALSE(abandoned.lastCompletion());

    for (const auto& [text, visible] :
         std::vector<std::pair<std::string, std::optional<std::string>>>{
             {".", "xa"}, {"b c", "q"}, {"b", std::nullopt}, {"", "q"}}) {
        auto untouched = bufferWithA();
        untouched.synchronizeBeforeConsuming(text, visible);
        EXPECT_EQ(untouched.currentToken(), "a") << text;
    }
    CurrentTokenBuffer empty(64);
    empty.consume("z ", std::nullopt);
    empty.synchronizeBeforeConsuming("b", "q");
    EXPECT_EQ(empty.recentContext(), "z ");

    // The application has not shown the newest keys yet: the word stays, up to two keys
    // behind; further behind, or a different word, it is abandoned.
    const auto bufferWith = [](const std::string& word) {
        CurrentTokenBuffer buffer(64);
        buffer.consume(word, std::nullopt);
        return buffer;
    };
    for (const auto& [visible, keeps] : std::vector<std::pair<std::string, bool>>{{"xghbd", true},
                                                                                  {"ghb", true},
                                                                                  {"gh", true},
                                                                                  {"g", false},
                                                                                  {"ghbx", false},
                                                                                  {"пр", false},
                                                                                  {"", false}}) {
        auto buffer = bufferWith("ghbd");
        buffer.synchronizeBeforeConsuming("t", visible);
        EXPECT_EQ(buffer.currentToken(), keeps ? "ghbd" : "") << visible;
    }
    auto cyrillic = bufferWith("приве");
    cyrillic.synchronizeBeforeConsuming("т", "прив");
    EXPECT_EQ(cyrillic.currentToken(), "приве") << "characters, not bytes";
}

TEST(CurrentTokenBuffer, ManualCandidateIsTheOpenWordOrTheLastOne) {
    CurrentTokenBuffer buffer(64);
    EXPECT_FALSE(buffer.candidateForManualCorrection());
    buffer.consume("hi ", std::nullopt);
    buffer.consume("j", kJ);
    EXPECT_EQ(buffer.candidateForManualCorrection(),
              (TokenCompletion{"j", "", "hi ", Strokes{kJ}, {}}));
    buffer.consume(" ", kSpace);
    EXPECT_EQ(buffer.candidateForManualCorrection(),
              (TokenCompletion{"j", " ", "hi ", Strokes{kJ}, Strokes{kSpace}}));
    buffer.reset();
    EXPECT_FALSE(buffer.candidateForManualCorrection());
    EXPECT_EQ(buffer.recentContext(), "");
}

TEST(CurrentTokenBuffer, ReplacementsRepairContextAndLastWord) {
    CurrentTokenBuffer buffer(64);
    buffer.consume("ok ", std::nullopt);
    buffer.consume("ghbdtn", kA);
    buffer.consume(" ", kSpace);
    buffer.noteReplacement("ghbdtn", "привет", " ");
    EXPECT_EQ(buffer.recentContext(), "ok привет ");
    EXPECT_EQ(buffer.lastCompletion(), (TokenCompletion{"привет", " ", "ok ", {}, {}}));

    // An undo is a replacement the other way round.
    buffer.noteReplacement("привет", "ghbdtn", " ");
    EXPECT_EQ(buffer.recentContext(), "ok ghbdtn ");
    EXPECT_EQ(buffer.lastCompletion(), (TokenCompletion{"ghbdtn", " ", "ok ", {}, {}}));

    // The field's text is not what the buffer saw: the context stays as it is.
    buffer.noteReplacement("other", "word", " ");
    EXPECT_EQ(buffer.recentContext(), "ok ghbdtn ");
    EXPECT_EQ(buffer.lastCompletion()->token, "word");

    // A word still being typed is replaced in place, strokes kept.
    buffer.consume("rfr", kA);
    buffer.noteReplacement("rfr", "как", "");
    EXPECT_EQ(buffer.currentToken(), "как");
    EXPECT_EQ(buffer.candidateForManualCorrection()->physicalStrokes, (Strokes{kA}));
}

TEST(CurrentTokenBuffer, ADelimiterThatBecameALetterContinuesTheWordWithItsKeys) {
    CurrentTokenBuffer buffer(64);
    buffer.consume("z ", std::nullopt);
    buffer.consume("k", kJ);
    buffer.consume(",", kComma);
    EXPECT_EQ(buffer.recentContext(), "z k,");
    buffer.noteReplacement("k", "л", ",", "б");
    EXPECT_EQ(buffer.currentToken(), "лб");
    EXPECT_EQ(buffer.recentContext(), "z ");
    EXPECT_FALSE(buffer.lastCompletion());
    // The continued word keeps the keys it was typed with, so re-reading it later
    // covers all of it and not just the keys typed after the correction.
    EXPECT_EQ(buffer.candidateForManualCorrection()->physicalStrokes, (Strokes{kJ, kComma}));
    buffer.consume("f", kA);
    const auto whole = buffer.candidateForManualCorrection();
    EXPECT_EQ(whole->token, "лбf");
    EXPECT_EQ(whole->physicalStrokes, (Strokes{kJ, kComma, kA}));
    buffer.deleteBackward();
    buffer.deleteBackward();
    EXPECT_EQ(buffer.currentToken(), "л");
    const auto completions = buffer.consume(" ", kSpace);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_EQ(completions[0], (TokenCompletion{"л", " ", "z ", Strokes{kJ}, Strokes{kSpace}}));
}

TEST(CurrentTokenBuffer, AContinuedWordWhoseKeysAreUnknownCarriesNoStrokes) {
    CurrentTokenBuffer buffer(64);
    buffer.consume("k", kJ);
    buffer.consume(",", kComma);
    // Two characters for one key: the keys can no longer be matched to characters.
    buffer.noteReplacement("k", "лл", ",", "б");
    buffer.consume("f", kA);
    EXPECT_TRUE(buffer.candidateForManualCorrection()->physicalStrokes.empty());
    const auto completions = buffer.consume(" ", kSpace);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_EQ(completions[0].token, "ллбf");
    EXPECT_TRUE(completions[0].physicalStrokes.empty());

    // The next word is whole again.
    buffer.consume("e", kE);
    EXPECT_EQ(buffer.consume(" ", kSpace)[0].physicalStrokes, (Strokes{kE}));
}

TEST(CurrentTokenBuffer, AContinuedWordCarriesWhatWasTyped) {
    CurrentTokenBuffer buffer(40);
    buffer.consume("j", kJ);
    buffer.consume(",", kComma);
    buffer.noteReplacement("j", "о", ",", "б");
    buffer.consume("k", kA);
    const auto completions = buffer.consume(" ", kSpace);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_EQ(completions[0].token, "обk");
    EXPECT_EQ(completions[0].typedText, "j,k");
    // Deleting into the corrected part leaves nothing to give back.
    buffer.consume("j", kJ);
    buffer.consume(",", kComma);
    buffer.noteReplacement("j", "о", ",", "б");
    buffer.deleteBackward();
    buffer.consume("x", kA);
    EXPECT_EQ(buffer.consume(" ", kSpace)[0].typedText, "");
}

TEST(CurrentTokenBuffer, DeletesWholeCharactersOfALongWord) {
    CurrentTokenBuffer buffer(40);
    for (int i = 0; i < 1000; ++i) {
        buffer.consume("e", kA);
        buffer.consume("\xCC\x81", kA);  // a combining acute joins the "e"
    }
    buffer.deleteBackward();
    buffer.deleteBackward();
    EXPECT_EQ(buffer.currentToken().size(), 998u * 3);
    EXPECT_TRUE(buffer.currentToken().ends_with("e\xCC\x81"));
    const auto completions = buffer.consume(" ", kSpace);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_EQ(completions[0].physicalStrokes.size(), 998u * 2);
}

}  // namespace
}  // namespace plovik

namespace plovik {
namespace {

TEST(CurrentTokenBuffer, WholeRunsEndOnlyAtWhitespaceAndKeepEveryKey) {
    CurrentTokenBuffer buffer(64, CurrentTokenBuffer::WordBoundary::whitespace);
    const PhysicalKeyStroke j{Key::j, {}};
    const PhysicalKeyStroke comma{Key::comma, {}};
    const PhysicalKeyStroke k{Key::k, {}};
    const PhysicalKeyStroke space{Key::space, {}};
    EXPECT_TRUE(buffer.consume("j", j).empty());
    EXPECT_TRUE(buffer.consume(",", comma).empty());
    EXPECT_TRUE(buffer.consume("k", k).empty());
    EXPECT_TRUE(buffer.consume(",", comma).empty());
    const auto completions = buffer.consume(" ", space);
    ASSERT_EQ(completions.size(), 1u);
    EXPECT_EQ(completions[0], (TokenCompletion{"j,k,", " ", "", {j, comma, k, comma}, {space}}));
    // A backspace takes the punctuation key's stroke with its character.
    buffer.consume("k", k);
    buffer.consume(",", comma);
    buffer.deleteBackward();
    const auto next = buffer.consume("\n", std::nullopt);
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0].token, "k");
    EXPECT_EQ(next[0].physicalStrokes, (std::vector<PhysicalKeyStroke>{k}));
    EXPECT_EQ(next[0].contextBeforeToken, "j,k, ");
}

}  // namespace
}  // namespace plovik
