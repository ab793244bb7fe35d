#include "core/decision/WordLikelihood.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "core/decision/CommonShortWords.h"
#include "core/text/CaseMapping.h"
#include "core/text/Utf8.h"

namespace plovik {

namespace {

// A word only the spell checker knows counts as if seen this many times: as often as the
// rarest listed words.
constexpr double kDictionaryWordCount = 2.0;
// Any prose uses its commonest short words at least this often, whatever the lists say.
constexpr double kCommonWordShare = 1e-3;
// The share of running text made of words no list holds.
constexpr double kUnlistedShare = 0.03;

// Lower-cased, with the typographic apostrophe the lists spell as a plain one.
std::u32string lowered(std::u32string_view word) {
    const auto scalars = text::Utf8::scalars(
        text::CaseMapping::lowercased(text::Utf8::encode({word.begin(), word.end()})));
    std::u32string text(scalars.begin(), scalars.end());
    std::replace(text.begin(), text.end(), U'\u2019', U'\'');
    return text;
}

std::string utf8(std::u32string_view word) {
    return text::Utf8::encode(std::vector<char32_t>(word.begin(), word.end()));
}

bool isJoiner(char32_t c) {
    return c == U'-';
}

}  // namespace

WordLikelihood::WordLikelihood(std::string language, std::shared_ptr<const LanguageModel> model,
                               SpellChecker* spellChecker, std::optional<std::string> spellLanguage)
    : language_(std::move(language)),
      model_(std::move(model)),
      spellChecker_(spellChecker),
      spellLanguage_(std::move(spellLanguage)) {
    if (!model_) {
        throw std::invalid_argument("WordLikelihood needs a language model");
    }
}

double WordLikelihood::logProbability(std::u32string_view word) const {
    if (const auto listed = listedLogProbability(word)) {
        return *listed;
    }
    // A compound of known parts is as likely as its parts together.
    if (std::find_if(word.begin(), word.end(), isJoiner) != word.end()) {
        double total = 0.0;
        std::size_t start = 0;
        while (start <= word.size()) {
            const std::size_t end = std::min(word.find(U'-', start), word.size());
            const auto part = word.substr(start, end - start);
            if (part.empty() || !isKnown(part)) {
                return singleLogProbability(word);
            }
            total += singleLogProbability(part);
            start = end + 1;
        }
        return total;
    }
    return singleLogProbability(word);
}

bool WordLikelihood::isKnown(std::u32string_view word) const {
    return listedLogProbability(word).has_value() || dictionaryAccepts(word);
}

std::optional<double> WordLikelihood::listedLogProbability(std::u32string_view word) const {
    return model_->wordLogProbability(utf8(lowered(word)));
}

double WordLikelihood::singleLogProbability(std::u32string_view word) const {
    const std::u32string lower = lowered(word);
    if (CommonShortWords::contains(utf8(lower), {language_})) {
        return std::max(std::log(kCommonWordShare), model_->wordLogProbability(utf8(lower))
                                                        .value_or(std::log(kCommonWordShare)));
    }
    const double dictionaryWord =
        std::log(kDictionaryWordCount / static_cast<double>(model_->runningWords()));
    if (const auto listed = model_->wordLogProbability(utf8(lower))) {
        // Manual pages list abbreviations and option names as often as words; what the
        // dictionary rejects counts no more than a rare word.
        if (hasDictionary() && !dictionaryAccepts(word)) {
            return std::min(*listed, dictionaryWord);
        }
        return *listed;
    }
    if (dictionaryAccepts(word)) {
        return dictionaryWord;
    }
    return std::log(kUnlistedShare) + model_->spellingLogProbability(lower);
}

bool WordLikelihood::hasDictionary() const {
    return spellChecker_ != nullptr && spellLanguage_.has_value();
}

bool WordLikelihood::dictionaryAccepts(std::u32string_view word) const {
    if (!hasDictionary() || word.empty()) {
        return false;
    }
    const std::u32string lower = lowered(word);
    // Some dictionaries accept any word of another script; only the language's own letters
    // are worth asking about.
    if (!writesAllLetters(lower)) {
        return false;
    }
    return spellChecker_->isSpelledCorrectly(utf8(word), *spellLanguage_) ||
           (lower != word && spellChecker_->isSpelledCorrectly(utf8(lower), *spellLanguage_));
}

bool WordLikelihood::writesAllLetters(std::u32string_view lowered) const {
    return std::all_of(lowered.begin(), lowered.end(), [this](char32_t c) {
        return c == U'-' || c == U'\'' || c == U'\u2019' || model_->usesLetter(c);
    });
}

}  // namespace plovik
