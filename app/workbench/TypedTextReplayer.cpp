#include "app/workbench/TypedTextReplayer.h"

#include <algorithm>

#include "core/replacement/FocusedElementService.h"
#include "core/replacement/TextReplacementService.h"
#include "core/text/CharacterClass.h"
#include "core/text/CodePoints.h"
#include "core/text/Graphemes.h"
#include "core/text/Utf8.h"

namespace plovik {

namespace {

bool isLineBreak(std::string_view character) {
    return character == "\n" || character == "\r\n";
}

}  // namespace

TypedTextReplayer::TypedTextReplayer(const TypingSimulator& typist,
                                     InputSourceService& inputSources, const DecisionEngine& engine,
                                     Learning learning, Settings settings)
    : typist_(typist),
      inputSources_(inputSources),
      engine_(engine),
      settings_(std::move(settings)),
      buffer_(WordCorrector::kContextLength, WordCorrector::wordBoundary(engine)),
      corrector_({buffer_, inputSources, learning.history, learning.clock}),
      selectedSourceId_(inputSources.currentSource()
                            ? std::optional(inputSources.currentSource()->id)
                            : std::nullopt),
      sourceChanges_(inputSources.subscribeCurrentSource(
          [this](const std::optional<InputSourceDescriptor>& source) {
              if (source && source->id != selectedSourceId_) {
                  selectedSourceId_ = source->id;
                  buffer_.reset();
              }
          })) {}

void TypedTextReplayer::type(std::string_view text) {
    text::Graphemes::forEach(text,
                             [this](const std::string& character) { typeCharacter(character); });
}

void TypedTextReplayer::finishInput() {
    if (buffer_.currentToken().empty()) {
        return;
    }
    if (const auto completion = buffer_.candidateForManualCorrection()) {
        judge(*completion, false);
    }
    buffer_.reset();
}

std::string TypedTextReplayer::takeText() {
    std::string text;
    text.swap(field_);
    return text;
}

void TypedTextReplayer::typeCharacter(const std::string& character) {
    if (isLineBreak(character)) {
        pressReturn(character);
        return;
    }
    const auto strokes = strokesSwitchingIfNeeded(character);
    if (!strokes || strokes->empty()) {
        insertWithoutKeys(character);
        return;
    }
    pressKeys(character, *strokes);
}

std::optional<std::vector<PhysicalKeyStroke>> TypedTextReplayer::strokesSwitchingIfNeeded(
    const std::string& character) {
    if (typists_.empty()) {
        return typist_.strokesForCharacter(character);
    }
    const auto current = inputSources_.currentLayout();
    const auto selected = std::find_if(typists_.begin(), typists_.end(),
                                       [&](const auto& entry) { return entry.layout == current; });
    if (selected != typists_.end()) {
        if (auto strokes = selected->typist->strokesForCharacter(character)) {
            return strokes;
        }
    }
    for (const auto& entry : typists_) {
        if (auto strokes = entry.typist->strokesForCharacter(character)) {
            inputSources_.switchTo(entry.layout);
            return strokes;
        }
    }
    return std::nullopt;
}

void TypedTextReplayer::pressKeys(const std::string& character,
                                  const std::vector<PhysicalKeyStroke>& strokes) {
    // Under the layout it was typed in, a key shows exactly the character it stands for; after
    // a switch, the same keys show what the selected layout makes of them.
    const bool typedInSelected =
        !typists_.empty() || inputSources_.currentLayout() == settings_.typedIn;
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        std::string shown;
        if (!typedInSelected) {
            shown = inputSources_.text(strokes[i]).value_or("");
        } else if (i + 1 == strokes.size()) {
            shown = character;
        }
        // As the application, before the field shows the key.
        if (!buffer_.currentToken().empty() && !fieldEndsWithWholeToken()) {
            buffer_.synchronizeBeforeConsuming(shown,
                                               FocusedElementService::textSinceWhitespace(field_));
        }
        field_ += shown;
        finish(buffer_.consume(shown, strokes[i]));
    }
}

void TypedTextReplayer::pressReturn(const std::string& lineBreak) {
    // The application holds the Return back, corrects the word it ends, then lets it through.
    const auto completions = buffer_.consume(lineBreak, std::nullopt);
    if (!completions.empty()) {
        judge(completions.front(), true);
    }
    field_ += lineBreak;
}

void TypedTextReplayer::insertWithoutKeys(const std::string& character) {
    // The application sees no key for it: only the field changes, and the buffer finds out
    // from the field at the next key, or the replacement from the text around the word.
    field_ += character;
}

void TypedTextReplayer::finish(const std::vector<TokenCompletion>& completions) {
    for (const TokenCompletion& completion : completions) {
        judge(completion, false);
    }
}

void TypedTextReplayer::judge(const TokenCompletion& completion, bool heldBackDelimiter) {
    const auto word =
        corrector_.automatic(engine_, completion, settings_.applicationBundleIdentifier,
                             settings_.threshold, heldBackDelimiter);
    const bool applied = word && !word->wordGoesOn && apply(*word, completion, heldBackDelimiter);
    if (observer_) {
        observer_({completion,
                   engine_.assessSafety(completion.token, completion.contextBeforeToken),
                   word ? std::optional(word->verdict) : std::nullopt,
                   word ? std::optional(word->correctedDelimiter) : std::nullopt, applied});
    }
}

bool TypedTextReplayer::apply(const WordCorrector::Correction& word,
                              const TokenCompletion& completion, bool heldBackDelimiter) {
    return corrector_
        .apply(word, completion, settings_.applicationBundleIdentifier, heldBackDelimiter,
               settings_.switchAfterCorrection,
               [this](const TextReplacementRequest& request) { return replaceInField(request); })
        .replacement.succeeded;
}

// Like the replacement in a real field, only text that is still there is replaced.
TextReplacementResult TypedTextReplayer::replaceInField(const TextReplacementRequest& request) {
    const std::string expected = request.expectedText + request.expectedTrailingDelimiter;
    if (!field_.ends_with(expected) || !startsAtWordBoundary(field_.size() - expected.size())) {
        return TextReplacementResult::failure("the field no longer shows the word");
    }
    field_.resize(field_.size() - expected.size());
    field_ += request.replacementText + request.replacementTrailingDelimiter;
    return {true, std::nullopt, std::nullopt};
}

// The application's reading would then find the buffer's word whole before the caret, and
// its check keep the word: this spares that reading for nearly every key. Bytes bound the
// code points, so a word this short lies within the reading's window.
bool TypedTextReplayer::fieldEndsWithWholeToken() const {
    const std::string& token = buffer_.currentToken();
    if (token.size() >= static_cast<std::size_t>(FocusedElementService::kVisibleTextWindow) ||
        !field_.ends_with(token)) {
        return false;
    }
    const auto before = std::string_view(field_).substr(0, field_.size() - token.size());
    return before.empty() || text::Graphemes::alwaysBreaksBetween(
                                 text::Utf8::firstScalar(text::CodePoints::last(before, 1)),
                                 text::Utf8::firstScalar(token));
}

// As the replacement in a field: a word glued to what comes before it is only part of one.
bool TypedTextReplayer::startsAtWordBoundary(std::size_t start) const {
    const auto before = std::string_view(field_).substr(0, start);
    return before.empty() ||
           text::CharacterClass::isWhitespace(text::Graphemes::lastCharacter(text::CodePoints::last(
               before, static_cast<std::size_t>(TextReplacementService::kWordStartWindow))));
}

}  // namespace plovik
