#include "core/decision/WordLikelihood.h"

#include <algorithm>
#include <cmath>
#include <limits>
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
constexpr double kCommonWordShare = 3e-3;
// Below this mean log-probability per letter a spelling is taken for no word at all.
constexpr double kImplausiblePerLetter = -6.0;
// The share of running text made of words no list holds.
constexpr double kUnlistedShare = 0.03;

// Latin and Cyrillic capitals map one to one; anything else goes through the full mapping.
std::optional<char32_t> simpleLowercase(char32_t c) {
    if ((c >= U'a' && c <= U'z') || (c >= U'а' && c <= U'я') || c == U'ё' || c == U'є' ||
        c == U'і' || c == U'ї' || c == U'ґ' || c < U'A' || (c > U'Z' && c < U'a') ||
        (c > U'z' && c < 0x80)) {
        return c;
    }
    if (c >= U'A' && c <= U'Z') {
        return c + (U'a' - U'A');
    }
    if (c >= U'А' && c <= U'Я') {
        return c + (U'а' - U'А');
    }
    switch (c) {
        case U'Ё':
            return U'ё';
        case U'Є':
            return U'є';
        case U'І':
            return U'і';
        case U'Ї':
            return U'ї';
        case U'Ґ':
            return U'ґ';
        case U'\u2019':
            return U'\'';
        default:
            return std::nullopt;
    }
}

// Lower-cased, with the typographic apostrophe the lists spell as a plain one.
std::u32string lowered(std::u32string_view word) {
    std::u32string text;
    text.reserve(word.size());
    for (const char32_t c : word) {
        const auto lower = simpleLowercase(c);
        if (!lower) {
            const auto scalars = text::Utf8::scalars(
                text::CaseMapping::lowercased(text::Utf8::encode({word.begin(), word.end()})));
            text.assign(scalars.begin(), scalars.end());
            std::replace(text.begin(), text.end(), U'\u2019', U'\'');
            return text;
        }
        text += *lower;
    }
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
                               SpellChecker* spellChecker, std::optional<std::string> spellLanguage,
                               std::size_t rememberedWords)
    : language_(std::move(language)),
      model_(std::move(model)),
      spellChecker_(spellChecker),
      spellLanguage_(std::move(spellLanguage)),
      assessments_(rememberedWords),
      spellings_(rememberedWords) {
    if (!model_) {
        throw std::invalid_argument("WordLikelihood needs a language model");
    }
    listedVerdicts_.assign(model_->wordCount(), Verdict::unasked);
}

WordLikelihood::Assessment WordLikelihood::assess(std::u32string_view word) const {
    std::u32string key(word);
    if (const Assessment* known = assessments_.find(key)) {
        return *known;
    }
    return assessments_.remember(std::move(key), assessUnremembered(word));
}

WordLikelihood::Assessment WordLikelihood::assessUnremembered(std::u32string_view word) const {
    // A compound of known parts is as likely as its parts together.
    if (std::find_if(word.begin(), word.end(), isJoiner) != word.end() &&
        !listedLogProbability(word)) {
        Assessment compound{0.0, false, true};
        std::size_t start = 0;
        while (start <= word.size()) {
            const std::size_t end = std::min(word.find(U'-', start), word.size());
            const auto part = word.substr(start, end - start);
            // Lone letters joined by hyphens are abbreviations (Д-р), not compounds.
            const Assessment piece = part.size() < 2 ? Assessment{} : assessSingle(part);
            if (!piece.isKnown()) {
                return assessSingle(word);
            }
            compound.logProbability += piece.logProbability;
            start = end + 1;
        }
        return compound;
    }
    return assessSingle(word);
}

double WordLikelihood::upperBoundLogProbability(std::u32string_view word) const {
    if (std::find_if(word.begin(), word.end(), isJoiner) != word.end()) {
        return std::numeric_limits<double>::infinity();
    }
    const std::u32string lower = lowered(word);
    const auto listed = model_->wordLogProbability(utf8(lower));
    if (isCommonWord(lower)) {
        return std::max(std::log(kCommonWordShare), listed.value_or(std::log(kCommonWordShare)));
    }
    if (listed) {
        return *listed;
    }
    return std::max(std::log(kDictionaryWordCount / static_cast<double>(model_->runningWords())),
                    std::log(kUnlistedShare) + model_->spellingLogProbability(lower));
}

bool WordLikelihood::isKnown(std::u32string_view word) const {
    return listedLogProbability(word).has_value() || dictionaryAccepts(word);
}

bool WordLikelihood::spellsLikeAWord(std::u32string_view word) const {
    std::u32string key(word);
    if (const bool* known = spellings_.find(key)) {
        return *known;
    }
    return spellings_.remember(std::move(key), writesEveryPair(word));
}

bool WordLikelihood::writesEveryPair(std::u32string_view word) const {
    const std::u32string lower = lowered(word);
    const std::u32string_view text = lower;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(U'-', start), text.size());
        if (!model_->writesEveryPair(text.substr(start, end - start))) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

std::optional<double> WordLikelihood::listedLogProbability(std::u32string_view word) const {
    return model_->wordLogProbability(utf8(lowered(word)));
}

bool WordLikelihood::isAcronym(std::u32string_view word) const {
    return model_->isWrittenInCapitals(utf8(lowered(word)));
}

bool WordLikelihood::isCommonWord(std::u32string_view lowered) const {
    // The built-in list knows English and Russian; Ukrainian's commonest words are here.
    static const std::u32string_view kUkrainian[] = {
        U"і",  U"й",  U"в",   U"у",   U"з",   U"та",  U"що",  U"не",  U"на",  U"до",
        U"за", U"як", U"це",  U"ви",  U"ми",  U"ти",  U"він", U"але", U"або", U"її",
        U"їх", U"ще", U"вже", U"так", U"бо",  U"би",  U"же",  U"щоб", U"цю",  U"ці",
        U"є",  U"зі", U"із",  U"від", U"при", U"про", U"для", U"чи",  U"ні",  U"їм"};
    if (language_ == "uk") {
        return std::find(std::begin(kUkrainian), std::end(kUkrainian), lowered) !=
               std::end(kUkrainian);
    }
    return CommonShortWords::contains(utf8(lowered), {language_});
}

WordLikelihood::Assessment WordLikelihood::assessSingle(std::u32string_view word) const {
    const std::u32string lower = lowered(word);
    const auto found = model_->findWord(utf8(lower));
    const auto listed =
        found ? std::optional<double>(found->logProbability) : std::optional<double>();
    if (isCommonWord(lower)) {
        return {std::max(std::log(kCommonWordShare), listed.value_or(std::log(kCommonWordShare))),
                true, true};
    }
    const double dictionaryWord =
        std::log(kDictionaryWordCount / static_cast<double>(model_->runningWords()));
    const bool accepted = dictionaryAccepts(
        word, lower, found ? std::optional<std::size_t>(found->index) : std::nullopt);
    if (listed) {
        // Manual pages list abbreviations and option names as often as words; what the
        // dictionary rejects counts no more than a rare word.
        return {hasDictionary() && !accepted ? std::min(*listed, dictionaryWord) : *listed, true,
                accepted};
    }
    if (accepted) {
        return {dictionaryWord, false, true};
    }
    return {std::log(kUnlistedShare) + model_->spellingLogProbability(lower), false, false};
}

bool WordLikelihood::hasDictionary() const {
    return spellChecker_ != nullptr && spellLanguage_.has_value();
}

bool WordLikelihood::dictionaryAccepts(std::u32string_view word) const {
    const std::u32string lower = lowered(word);
    const auto found = model_->findWord(utf8(lower));
    return dictionaryAccepts(word, lower,
                             found ? std::optional<std::size_t>(found->index) : std::nullopt);
}

bool WordLikelihood::dictionaryAccepts(std::u32string_view word, std::u32string_view lower,
                                       std::optional<std::size_t> listedIndex) const {
    if (!hasDictionary() || word.empty()) {
        return false;
    }
    // Some dictionaries accept any word of another script; only the language's own letters
    // are worth asking about.
    if (!writesAllLetters(lower)) {
        return false;
    }
    // Letter sequences the language almost never writes are not worth a dictionary look-up.
    const double perLetter =
        model_->spellingLogProbability(lower) / static_cast<double>(lower.size() + 1);
    if (perLetter < kImplausiblePerLetter) {
        return false;
    }
    if (!listedIndex) {
        return spellCheckerAccepts(word) || (lower != word && spellCheckerAccepts(lower));
    }
    Verdict& verdict = listedVerdicts_[*listedIndex];
    if (verdict == Verdict::unasked) {
        verdict = spellCheckerAccepts(lower) ? Verdict::accepted : Verdict::rejected;
    }
    // Names are spelled with their capital only.
    return verdict == Verdict::accepted || (lower != word && spellCheckerAccepts(word));
}

bool WordLikelihood::spellCheckerAccepts(std::u32string_view word) const {
    return spellChecker_->isSpelledCorrectly(utf8(word), *spellLanguage_);
}

bool WordLikelihood::writesAllLetters(std::u32string_view lowered) const {
    return std::all_of(lowered.begin(), lowered.end(), [this](char32_t c) {
        return c == U'-' || c == U'\'' || c == U'\u2019' || model_->usesLetter(c);
    });
}

}  // namespace plovik
