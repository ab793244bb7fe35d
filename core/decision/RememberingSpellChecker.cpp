#include "core/decision/RememberingSpellChecker.h"

namespace plovik {

RememberingSpellChecker::RememberingSpellChecker(SpellChecker& checker, std::size_t capacity)
    : checker_(checker), answers_(capacity) {}

std::vector<std::string> RememberingSpellChecker::availableLanguages() {
    if (!languages_) {
        languages_ = checker_.availableLanguages();
    }
    return *languages_;
}

bool RememberingSpellChecker::isSpelledCorrectly(std::string_view word, std::string_view language) {
    // A language tag holds no line break, so the key cannot be read two ways.
    std::string key;
    key.reserve(language.size() + 1 + word.size());
    key.append(language).append(1, '\n').append(word);
    if (const bool* known = answers_.find(key)) {
        return *known;
    }
    const bool answer = checker_.isSpelledCorrectly(word, language);
    answers_.remember(std::move(key), answer);
    return answer;
}

}  // namespace plovik
