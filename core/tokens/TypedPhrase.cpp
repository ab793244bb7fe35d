#include "core/tokens/TypedPhrase.h"

#include "core/text/CharacterClass.h"
#include "core/text/Graphemes.h"

namespace plovik {

namespace {

bool isLineBreak(std::string_view character) {
    return character == "\n" || character == "\r" || character == "\r\n" || character == "\u2028" ||
           character == "\u2029";
}

}  // namespace

TypedPhrase::TypedPhrase(const CurrentTokenBuffer& followed)
    : followed_(followed), bufferResets_(followed.resetCount()) {}

void TypedPhrase::type(std::string_view text, TimePoint time) {
    if (!followsBuffer()) {
        reset();
    }
    if (lastKey_ && time - *lastKey_ > kPause) {
        keepFromCurrentWord();
    }
    lastKey_ = time;
    text_ += text;
    trimToLength();
}

void TypedPhrase::deleteBackward() {
    text_ = text::Graphemes::droppingLast(text_);
}

void TypedPhrase::noteCorrection(std::string_view replaced) {
    const auto at = replaced.empty() ? std::string::npos : text_.rfind(replaced);
    if (at == std::string::npos) {
        reset();
        return;
    }
    text_.erase(0, at + replaced.size());
    startsMidway_ = false;
}

void TypedPhrase::reset() {
    text_.clear();
    startsMidway_ = false;
    lastKey_.reset();
    bufferResets_ = followed_.resetCount();
}

std::string TypedPhrase::text() const {
    if (!followsBuffer()) {
        return {};
    }
    const auto characters = text::Graphemes::split(text_);
    std::size_t start = 0;
    for (std::size_t index = characters.size(); index > 0; --index) {
        if (isLineBreak(characters[index - 1])) {
            start = index;
            break;
        }
    }
    // The first word is cut when the start of the text is not where typing began.
    bool skippingWord = start == 0 && startsMidway_;
    std::string phrase;
    for (std::size_t index = start; index < characters.size(); ++index) {
        const bool isSpace = text::CharacterClass::isWhitespace(characters[index]);
        if (phrase.empty() && (isSpace || skippingWord)) {
            skippingWord = skippingWord && !isSpace;
            continue;
        }
        phrase += characters[index];
    }
    return phrase;
}

// Only the word being typed goes on across a pause: it started before and is not done.
void TypedPhrase::keepFromCurrentWord() {
    const auto characters = text::Graphemes::split(text_);
    std::size_t start = characters.size();
    while (start > 0 && !text::CharacterClass::isWhitespace(characters[start - 1])) {
        --start;
    }
    std::string kept;
    for (std::size_t index = start; index < characters.size(); ++index) {
        kept += characters[index];
    }
    text_ = std::move(kept);
    startsMidway_ = false;
}

void TypedPhrase::trimToLength() {
    // A character takes at least a byte: short text needs no counting.
    if (text_.size() <= kMaximumLength) {
        return;
    }
    const std::size_t count = text::Graphemes::count(text_);
    if (count <= kMaximumLength) {
        return;
    }
    text_ = text::Graphemes::last(text_, kMaximumLength);
    startsMidway_ = true;
}

}  // namespace plovik
