#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/capture/PhysicalKeyStroke.h"
#include "core/tokens/SegmentedText.h"
#include "core/tokens/TokenCompletion.h"

namespace plovik {

// Follows the word being typed, the physical strokes behind each of its characters
// and a bounded tail of the text typed before it. Never reads the screen: it is fed
// key by key, told about replacements, and reset when it can no longer vouch for
// the field. Lengths count user-perceived characters.
class CurrentTokenBuffer {
  public:
    // Where a word ends: at whitespace or punctuation, or only at whitespace (punctuation
    // keys may be letters in another layout, so the whole run is one word).
    enum class WordBoundary { whitespaceOrPunctuation, whitespace };

    // Throws std::invalid_argument for a negative length.
    explicit CurrentTokenBuffer(int maximumContextLength,
                                WordBoundary boundary = WordBoundary::whitespaceOrPunctuation);

    // The characters one key press produced (possibly none, as for a dead key) and its
    // stroke, absent for text without a key press of its own. Returns the words the
    // text finished, in order.
    std::vector<TokenCompletion> consume(std::string_view text,
                                         const std::optional<PhysicalKeyStroke>& stroke);
    void deleteBackward();
    // Takes effect from the next character on.
    void setWordBoundary(WordBoundary boundary) { boundary_ = boundary; }
    WordBoundary wordBoundary() const { return boundary_; }
    // Whitespace or punctuation.
    static bool isDelimiter(std::string_view character);
    // Keys of the word the field may not show yet when it is read.
    static constexpr std::size_t kMaximumDisplayLag = 2;

    // Abandons the word when the field no longer shows it right before the caret (or
    // shows it without its newest keys, which the application is still handling).
    // `visibleTextSinceWhitespace` is absent when the field cannot be read.
    void synchronizeBeforeConsuming(std::string_view text,
                                    const std::optional<std::string>& visibleTextSinceWhitespace);
    // The word being typed or, right after a delimiter, the last finished word.
    std::optional<TokenCompletion> candidateForManualCorrection() const;
    // Called after `original` + `originalDelimiter` in the field became `corrected` +
    // `correctedDelimiter`.
    void noteReplacement(std::string_view original, std::string_view corrected,
                         std::string_view originalDelimiter, std::string_view correctedDelimiter);
    void noteReplacement(std::string_view original, std::string_view corrected,
                         std::string_view delimiter);
    // The finished word goes on through its delimiter, with whatever was typed since: its
    // delimiter would be a letter in the layout it was meant in, so that the whole run of
    // keys is judged when the word really ends. False, and nothing changed, when the field
    // moved on from that word (another word finished, or it was replaced).
    bool rejoin(const TokenCompletion& completion);
    // Whether a word that `delimiter` ended and that was corrected with `correctedDelimiter`
    // goes on: the delimiter becomes a letter.
    static bool continuesWord(std::string_view delimiter, std::string_view correctedDelimiter);
    void reset();
    // How often reset() was called: whoever follows the typing alongside can tell that
    // the buffer gave up on the field.
    std::uint64_t resetCount() const { return resetCount_; }

    const std::string& currentToken() const { return currentToken_; }
    const std::string& recentContext() const { return recentContext_.text(); }
    const std::optional<TokenCompletion>& lastCompletion() const { return lastCompletion_; }
    int maximumContextLength() const { return maximumContextLength_; }

  private:
    void consumeCharacter(const std::string& character, bool& assigned,
                          std::vector<TokenCompletion>& completions);
    void consumeDelimiter(const std::string& character, bool isPunctuation, bool& assigned,
                          std::vector<TokenCompletion>& completions);
    void appendToToken(const std::string& character, bool& assigned);
    void removeLastCharacter();
    void appendToContext(std::string_view text);
    void continueCorrectedWord(std::string_view original, std::string_view originalDelimiter,
                               const std::string& corrected, const std::string& correctedDelimiter);
    void forgetTokenStrokes();
    void replaceToken(std::string token);
    // The whole word as typed, when it continues a corrected word; empty otherwise.
    std::string typedText() const;
    const std::vector<std::size_t>& characterStarts();

    std::string currentToken_;
    // Where each character of the token starts, in bytes.
    std::vector<std::size_t> characterStarts_;
    bool characterStartsKnown_ = true;
    // A corrected word that goes on because its delimiter became a letter: what was typed
    // for it, and what it became.
    struct ContinuedWord {
        std::string typed;
        std::string corrected;
    };
    std::optional<ContinuedWord> continuedWord_;
    SegmentedText recentContext_;
    std::optional<TokenCompletion> lastCompletion_;
    const int maximumContextLength_;
    WordBoundary boundary_;
    std::uint64_t resetCount_ = 0;
    std::vector<PhysicalKeyStroke> currentTokenStrokes_;
    std::vector<int> currentTokenStrokeCounts_;
    // False while some characters of the token came from a replacement whose keys are
    // unknown; its completions then carry no strokes.
    bool tokenStrokesAreComplete_ = true;
    // Per-character stroke counts of the last completion's token.
    std::vector<int> lastCompletionStrokeCounts_;
    std::vector<PhysicalKeyStroke> pendingStrokes_;
    // The strokes of the key being consumed; kept to reuse its storage.
    std::vector<PhysicalKeyStroke> incomingStrokes_;
};

}  // namespace plovik
