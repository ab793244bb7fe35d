#include "core/tokens/CurrentTokenBuffer.h"

#include <stdexcept>
#include <utility>

#include "core/text/CharacterClass.h"
#include "core/text/Graphemes.h"
#include "core/text/Utf8.h"

namespace plovik {

namespace {

using text::CharacterClass;

bool isDeletion(std::string_view character) {
    return character == "\x7f" || character == "\b";
}

bool isControlCharacter(std::string_view character) {
    // The cheap test of the first scalar spares decoding the rest of most characters.
    return CharacterClass::isControl(text::Utf8::firstScalar(character)) &&
           CharacterClass::isControl(character);
}

// Whether `character` begins a new character after `last`, the last character of a text,
// rather than extending it; only the last character matters for where the boundary falls.
bool startsCharacter(std::string_view last, const std::string& character) {
    return last.empty() || text::Graphemes::count(std::string(last) + character) == 2;
}

bool containsDelimiter(std::string_view text) {
    for (const std::string& character : text::Graphemes::split(text)) {
        if (CurrentTokenBuffer::isDelimiter(character)) {
            return true;
        }
    }
    return false;
}

}  // namespace

CurrentTokenBuffer::CurrentTokenBuffer(int maximumContextLength, WordBoundary boundary)
    : maximumContextLength_(maximumContextLength), boundary_(boundary) {
    if (maximumContextLength < 0) {
        throw std::invalid_argument("the maximum context length must not be negative");
    }
}

bool CurrentTokenBuffer::isDelimiter(std::string_view character) {
    if (character.empty()) {
        return false;
    }
    const char32_t first = text::Utf8::firstScalar(character);
    return CharacterClass::isWhitespace(first) || CharacterClass::isPunctuation(first);
}

std::vector<TokenCompletion> CurrentTokenBuffer::consume(
    std::string_view text, const std::optional<PhysicalKeyStroke>& stroke) {
    std::vector<TokenCompletion> completions;
    if (text.empty()) {
        if (stroke) {
            pendingStrokes_.push_back(*stroke);
        }
        return completions;
    }
    // The strokes waiting since a dead key belong, with this key's, to the first
    // character of the text; later characters of the same text have none.
    incomingStrokes_.clear();
    incomingStrokes_.swap(pendingStrokes_);
    if (stroke) {
        incomingStrokes_.push_back(*stroke);
    }
    bool assigned = false;
    for (const std::string& character : text::Graphemes::split(text)) {
        consumeCharacter(character, assigned, completions);
    }
    return completions;
}

void CurrentTokenBuffer::consumeCharacter(const std::string& character, bool& assigned,
                                          std::vector<TokenCompletion>& completions) {
    const char32_t first = text::Utf8::firstScalar(character);
    const bool isWhitespace = CharacterClass::isWhitespace(first);
    const bool endsWord = isWhitespace || (boundary_ == WordBoundary::whitespaceOrPunctuation &&
                                           CharacterClass::isPunctuation(first));
    if (endsWord) {
        consumeDelimiter(character, !isWhitespace, assigned, completions);
    } else if (isDeletion(character)) {
        pendingStrokes_.clear();
        removeLastCharacter();
    } else if (!isControlCharacter(character)) {
        appendToToken(character, assigned);
    }
}

void CurrentTokenBuffer::consumeDelimiter(const std::string& character, bool isPunctuation,
                                          bool& assigned,
                                          std::vector<TokenCompletion>& completions) {
    // A punctuation key at the start of a word may be a letter in another layout.
    if (currentToken_.empty() && isPunctuation && !assigned && !incomingStrokes_.empty()) {
        appendToToken(character, assigned);
        return;
    }
    const bool ownsStrokes = !assigned;
    assigned = true;
    if (currentToken_.empty()) {
        appendToContext(character);
        return;
    }
    std::string typed = typedText();
    TokenCompletion completion{std::move(currentToken_),
                               character,
                               recentContext_.text(),
                               tokenStrokesAreComplete_ ? std::move(currentTokenStrokes_)
                                                        : std::vector<PhysicalKeyStroke>{},
                               ownsStrokes ? incomingStrokes_ : std::vector<PhysicalKeyStroke>{},
                               std::move(typed)};
    lastCompletionStrokeCounts_.swap(currentTokenStrokeCounts_);
    if (!tokenStrokesAreComplete_) {
        lastCompletionStrokeCounts_.clear();
    }
    forgetTokenStrokes();
    replaceToken({});
    appendToContext(completion.token + character);
    lastCompletion_ = completion;
    completions.push_back(std::move(completion));
}

void CurrentTokenBuffer::appendToToken(const std::string& character, bool& assigned) {
    // A combining mark typed on its own key joins the character before it; its strokes
    // then belong to that character, so that one backspace removes them all.
    const auto& starts = characterStarts();
    const std::string_view last =
        starts.empty() ? std::string_view() : std::string_view(currentToken_).substr(starts.back());
    const bool extendsLast = !startsCharacter(last, character);
    const bool joinsPrevious = !currentTokenStrokeCounts_.empty() && extendsLast;
    if (!extendsLast) {
        characterStarts_.push_back(currentToken_.size());
    }
    currentToken_ += character;
    const int strokes = assigned ? 0 : static_cast<int>(incomingStrokes_.size());
    if (!assigned) {
        currentTokenStrokes_.insert(currentTokenStrokes_.end(), incomingStrokes_.begin(),
                                    incomingStrokes_.end());
        assigned = true;
    }
    if (joinsPrevious) {
        currentTokenStrokeCounts_.back() += strokes;
    } else {
        currentTokenStrokeCounts_.push_back(strokes);
    }
}

void CurrentTokenBuffer::deleteBackward() {
    pendingStrokes_.clear();
    removeLastCharacter();
}

void CurrentTokenBuffer::removeLastCharacter() {
    if (currentToken_.empty()) {
        recentContext_.dropLast(1);
        return;
    }
    characterStarts();
    currentToken_.resize(characterStarts_.back());
    characterStarts_.pop_back();
    if (currentToken_.empty()) {
        tokenStrokesAreComplete_ = true;
    }
    if (currentTokenStrokeCounts_.empty()) {
        return;
    }
    const int strokes = currentTokenStrokeCounts_.back();
    currentTokenStrokeCounts_.pop_back();
    if (strokes >= 1 && currentTokenStrokes_.size() >= static_cast<std::size_t>(strokes)) {
        currentTokenStrokes_.resize(currentTokenStrokes_.size() -
                                    static_cast<std::size_t>(strokes));
    }
}

void CurrentTokenBuffer::appendToContext(std::string_view text) {
    recentContext_.append(text);
    recentContext_.keepLast(static_cast<std::size_t>(maximumContextLength_));
}

void CurrentTokenBuffer::synchronizeBeforeConsuming(
    std::string_view text, const std::optional<std::string>& visibleTextSinceWhitespace) {
    if (currentToken_.empty() || text.empty() || containsDelimiter(text) ||
        !visibleTextSinceWhitespace) {
        return;
    }
    const std::string& visible = *visibleTextSinceWhitespace;
    if (visible.find(currentToken_ + std::string(text)) != std::string::npos) {
        return;
    }
    // A key reaches the application and Plovik at the same moment: the field may not
    // show the newest one or two keys yet, which is no reason to give the word up.
    const auto characters = text::Graphemes::split(currentToken_);
    std::string shown = currentToken_;
    for (std::size_t lag = 0; lag <= kMaximumDisplayLag && lag < characters.size(); ++lag) {
        if (visible.ends_with(shown)) {
            return;
        }
        shown.resize(shown.size() - characters[characters.size() - 1 - lag].size());
    }
    // The field no longer shows what was typed (a click elsewhere, say): abandon the
    // half-known word rather than correct it wrongly.
    reset();
}

std::optional<TokenCompletion> CurrentTokenBuffer::candidateForManualCorrection() const {
    if (currentToken_.empty()) {
        return lastCompletion_;
    }
    return TokenCompletion{
        currentToken_,
        "",
        recentContext_.text(),
        tokenStrokesAreComplete_ ? currentTokenStrokes_ : std::vector<PhysicalKeyStroke>{},
        {}};
}

void CurrentTokenBuffer::noteReplacement(std::string_view original, std::string_view corrected,
                                         std::string_view originalDelimiter,
                                         std::string_view correctedDelimiter) {
    const std::string correctedText = text::Utf8::sanitized(corrected);
    const std::string correctedEnd = text::Utf8::sanitized(correctedDelimiter);
    if (originalDelimiter.empty() && currentToken_ == original) {
        replaceToken(correctedText);
        return;
    }
    const std::string replaced = std::string(original) + std::string(originalDelimiter);
    if (recentContext_.endsWith(replaced)) {
        recentContext_.dropLast(text::Graphemes::count(replaced));
        // The delimiter became a letter in the target layout: the word goes on.
        if (!correctedEnd.empty() && !containsDelimiter(correctedEnd)) {
            continueCorrectedWord(original, originalDelimiter, correctedText, correctedEnd);
            return;
        }
        appendToContext(correctedText + correctedEnd);
    }
    lastCompletionStrokeCounts_.clear();
    std::string contextBefore = lastCompletion_ ? lastCompletion_->contextBeforeToken : "";
    lastCompletion_ =
        TokenCompletion{correctedText, correctedEnd, std::move(contextBefore), {}, {}};
}

bool CurrentTokenBuffer::continuesWord(std::string_view delimiter,
                                       std::string_view correctedDelimiter) {
    return !delimiter.empty() && !correctedDelimiter.empty() &&
           !containsDelimiter(text::Utf8::sanitized(correctedDelimiter));
}

bool CurrentTokenBuffer::rejoin(const TokenCompletion& completion) {
    const std::string finished = completion.token + completion.delimiter;
    if (!lastCompletion_ || lastCompletion_->token != completion.token ||
        lastCompletion_->delimiter != completion.delimiter || continuedWord_ ||
        !recentContext_.endsWith(finished)) {
        return false;
    }
    recentContext_.dropLast(text::Graphemes::count(finished));
    // The keys of the word, of its delimiter and of what came since, character by
    // character, when all of them are known.
    const bool keysKnown = tokenStrokesAreComplete_ && !lastCompletionStrokeCounts_.empty() &&
                           !completion.delimiterStrokes.empty() &&
                           text::Graphemes::count(completion.delimiter) == 1;
    std::vector<PhysicalKeyStroke> strokes = completion.physicalStrokes;
    strokes.insert(strokes.end(), completion.delimiterStrokes.begin(),
                   completion.delimiterStrokes.end());
    strokes.insert(strokes.end(), currentTokenStrokes_.begin(), currentTokenStrokes_.end());
    std::vector<int> counts = lastCompletionStrokeCounts_;
    counts.push_back(static_cast<int>(completion.delimiterStrokes.size()));
    counts.insert(counts.end(), currentTokenStrokeCounts_.begin(), currentTokenStrokeCounts_.end());
    replaceToken(finished + currentToken_);
    currentTokenStrokes_ = std::move(strokes);
    currentTokenStrokeCounts_ = std::move(counts);
    tokenStrokesAreComplete_ = keysKnown;
    lastCompletion_.reset();
    lastCompletionStrokeCounts_.clear();
    return true;
}

// The corrected word and its delimiter, now a letter, start the open token again. Its
// keys are still those of the finished word and its delimiter: keep them, so that a
// later re-reading of the token covers all of it. When they cannot be matched to the
// characters, the token is marked as having unknown keys, since re-reading only the
// keys typed afterwards would replace the whole token with a part of it.
void CurrentTokenBuffer::continueCorrectedWord(std::string_view original,
                                               std::string_view originalDelimiter,
                                               const std::string& corrected,
                                               const std::string& correctedDelimiter) {
    const bool sameWord = lastCompletion_ && lastCompletion_->token == original &&
                          lastCompletion_->delimiter == originalDelimiter;
    const bool keysMatchCharacters =
        sameWord && !lastCompletionStrokeCounts_.empty() &&
        lastCompletionStrokeCounts_.size() == text::Graphemes::count(corrected) &&
        !lastCompletion_->delimiterStrokes.empty() &&
        text::Graphemes::count(correctedDelimiter) == 1;
    forgetTokenStrokes();
    replaceToken(corrected + correctedDelimiter);
    continuedWord_ =
        ContinuedWord{std::string(original) + std::string(originalDelimiter), currentToken_};
    if (keysMatchCharacters) {
        currentTokenStrokes_ = lastCompletion_->physicalStrokes;
        currentTokenStrokes_.insert(currentTokenStrokes_.end(),
                                    lastCompletion_->delimiterStrokes.begin(),
                                    lastCompletion_->delimiterStrokes.end());
        currentTokenStrokeCounts_ = lastCompletionStrokeCounts_;
        currentTokenStrokeCounts_.push_back(
            static_cast<int>(lastCompletion_->delimiterStrokes.size()));
    } else {
        tokenStrokesAreComplete_ = false;
    }
    lastCompletion_.reset();
    lastCompletionStrokeCounts_.clear();
}

void CurrentTokenBuffer::replaceToken(std::string token) {
    currentToken_ = std::move(token);
    continuedWord_.reset();
    characterStarts_.clear();
    characterStartsKnown_ = currentToken_.empty();
}

// Worked out again only after the token was replaced whole, so that typing and deleting
// cost the same however long the word is.
const std::vector<std::size_t>& CurrentTokenBuffer::characterStarts() {
    if (!characterStartsKnown_) {
        currentToken_ = text::Utf8::sanitized(currentToken_);
        auto cuts = text::Graphemes::boundaries(currentToken_);
        characterStarts_.assign(cuts.begin(), cuts.empty() ? cuts.end() : cuts.end() - 1);
        characterStartsKnown_ = true;
    }
    return characterStarts_;
}

std::string CurrentTokenBuffer::typedText() const {
    if (!continuedWord_ || !currentToken_.starts_with(continuedWord_->corrected)) {
        return {};
    }
    return continuedWord_->typed + currentToken_.substr(continuedWord_->corrected.size());
}

void CurrentTokenBuffer::forgetTokenStrokes() {
    currentTokenStrokes_.clear();
    currentTokenStrokeCounts_.clear();
    tokenStrokesAreComplete_ = true;
}

void CurrentTokenBuffer::noteReplacement(std::string_view original, std::string_view corrected,
                                         std::string_view delimiter) {
    noteReplacement(original, corrected, delimiter, delimiter);
}

void CurrentTokenBuffer::reset() {
    ++resetCount_;
    replaceToken({});
    recentContext_.clear();
    forgetTokenStrokes();
    lastCompletionStrokeCounts_.clear();
    pendingStrokes_.clear();
    lastCompletion_.reset();
}

}  // namespace plovik
