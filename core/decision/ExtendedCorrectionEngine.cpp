#include "core/decision/ExtendedCorrectionEngine.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "core/text/CharacterClass.h"
#include "core/text/Utf8.h"

namespace plovik {

namespace {

// The log-odds a conversion needs before it reaches even odds: most words are typed right.
constexpr double kPriorLogOdds = 4.0;
// The previous word's language makes the same language this much likelier for the next.
constexpr double kContinuityLogOdds = 2.0;
// A one-letter word of the other language where the typed letter is no word.
constexpr double kOneLetterLogOdds = 7.0;
// Keys at either end that may be punctuation rather than letters.
constexpr std::size_t kMaximumOuterKeys = 3;
// A runner-up this close is too close to call.
constexpr double kAmbiguityMargin = 0.02;

enum class Script { none, latin, cyrillic, other };

using Text = std::u32string;
using TextView = std::u32string_view;

Text scalars(std::string_view text) {
    const auto all = text::Utf8::scalars(text);
    return {all.begin(), all.end()};
}

std::string utf8(TextView text) {
    return text::Utf8::encode(std::vector<char32_t>(text.begin(), text.end()));
}

bool isLetter(char32_t c) {
    return text::CharacterClass::isLetter(c);
}

Script scriptOf(char32_t c) {
    if (!isLetter(c)) {
        return Script::none;
    }
    if (c < 0x250) {
        return Script::latin;
    }
    return c >= 0x400 && c <= 0x52F ? Script::cyrillic : Script::other;
}

Script scriptOf(TextView word) {
    for (const char32_t c : word) {
        if (const Script script = scriptOf(c); script != Script::none) {
            return script;
        }
    }
    return Script::none;
}

bool mixesScripts(TextView word) {
    Script seen = Script::none;
    for (const char32_t c : word) {
        const Script script = scriptOf(c);
        if (script == Script::none) {
            continue;
        }
        if (seen != Script::none && script != seen) {
            return true;
        }
        seen = script;
    }
    return false;
}

// The script of the last word before the run: the language the user was writing in.
Script previousWordScript(std::string_view context) {
    const Text text = scalars(context);
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        if (const Script script = scriptOf(*it); script != Script::none) {
            return script;
        }
    }
    return Script::none;
}

bool isUppercaseLetter(char32_t c) {
    return isLetter(c) && text::CharacterClass::isUppercase(utf8(TextView(&c, 1)));
}

bool isAllCapitals(TextView word) {
    return std::all_of(word.begin(), word.end(), isUppercaseLetter);
}

bool isOneLetterWord(char32_t c, const std::optional<std::string>& language) {
    static constexpr std::u32string_view kEnglish = U"aAI";
    static constexpr std::u32string_view kRussian = U"авиксоуяАВИКСОУЯ";
    static constexpr std::u32string_view kUkrainian = U"авзійоуяАВЗІЙОУЯ";
    const std::u32string_view words = language == "en"   ? kEnglish
                                      : language == "ru" ? kRussian
                                      : language == "uk" ? kUkrainian
                                                         : std::u32string_view();
    return words.find(c) != std::u32string_view::npos;
}

bool hasDigit(TextView text) {
    return std::any_of(text.begin(), text.end(),
                       [](char32_t c) { return text::CharacterClass::isNumber(c); });
}

bool refusedBySafety(const SafetyAssessment& assessment) {
    // Length, code characters and mixed scripts are judged here on the whole run instead.
    return !assessment.isAllowed && assessment.exclusion != SafetyExclusion::tooShort &&
           assessment.exclusion != SafetyExclusion::codeLike &&
           assessment.exclusion != SafetyExclusion::mixedAlphabet;
}

double logistic(double x) {
    return 1.0 / (1.0 + std::exp(-x));
}

std::string percent(double confidence) {
    return std::to_string(static_cast<long long>(std::trunc(confidence * 100.0)));
}

}  // namespace

struct ExtendedCorrectionEngine::Reading {
    Text lead;
    Text core;
    Text trail;
    double logProbability = -std::numeric_limits<double>::infinity();
};

ExtendedCorrectionEngine::LanguageModels ExtendedCorrectionEngine::loadLanguageModels(
    const std::filesystem::path& directory) {
    LanguageModels models;
    for (const char* language : {"en", "ru", "uk"}) {
        auto model = LanguageModel::load(directory / (std::string(language) + ".words"),
                                         directory / (std::string(language) + ".chars"));
        if (model) {
            models.emplace(language, std::make_shared<const LanguageModel>(std::move(*model)));
        }
    }
    return models;
}

ExtendedCorrectionEngine::ExtendedCorrectionEngine(std::unique_ptr<CorrectionEngine> described,
                                                   LanguageModels models,
                                                   SpellChecker* spellChecker)
    : described_(std::move(described)), models_(std::move(models)) {
    if (!described_) {
        throw std::invalid_argument("ExtendedCorrectionEngine needs the described engine");
    }
    const auto available =
        spellChecker ? spellChecker->availableLanguages() : std::vector<std::string>{};
    for (const auto& [language, model] : models_) {
        std::optional<std::string> spellLanguage;
        for (const auto& name : available) {
            if (KeyboardLayout::baseLanguageOf(name) == language) {
                spellLanguage = name;
                break;
            }
        }
        likelihoods_.emplace(language, WordLikelihood(model, spellChecker, spellLanguage));
    }
}

SafetyAssessment ExtendedCorrectionEngine::assessSafety(std::string_view token,
                                                        std::string_view context) const {
    return described_->assessSafety(token, context);
}

std::optional<CorrectionDecision> ExtendedCorrectionEngine::automaticDecision(
    std::string_view token, std::string_view context, std::string_view applicationBundleIdentifier,
    const KeyboardLayout& sourceLayout, const std::vector<LayoutConversionCandidate>& candidates,
    double threshold) const {
    std::vector<CorrectionDecision> decisions;
    for (const auto& candidate : candidates) {
        if (candidate.token.empty() || candidate.token == token) {
            continue;
        }
        if (!likelihood(sourceLayout) || !likelihood(candidate.layout)) {
            if (auto decision = described_->automaticDecision(
                    token, context, applicationBundleIdentifier, sourceLayout, {candidate}, 0.0)) {
                decisions.push_back(std::move(*decision));
            }
            continue;
        }
        std::string corrected;
        const auto odds = logOdds(token, context, sourceLayout, candidate, corrected);
        if (!odds || corrected == token) {
            continue;
        }
        const double h = historyAdjustment(token, corrected, applicationBundleIdentifier);
        const double confidence = std::clamp(logistic(*odds - kPriorLogOdds) + h, 0.0, 1.0);
        decisions.push_back({std::string(token), std::move(corrected), sourceLayout,
                             candidate.layout, candidate.delimiter, confidence,
                             "Converted text is more plausible in " +
                                 candidate.layout.displayName + " (" + percent(confidence) +
                                 "%)."});
    }
    std::stable_sort(decisions.begin(), decisions.end(),
                     [](const auto& a, const auto& b) { return a.confidence > b.confidence; });
    if (decisions.empty() || !(decisions[0].confidence >= threshold)) {
        return std::nullopt;
    }
    if (decisions.size() > 1 && decisions[1].corrected != decisions[0].corrected &&
        decisions[0].confidence - decisions[1].confidence < kAmbiguityMargin) {
        return std::nullopt;
    }
    return decisions[0];
}

std::optional<CorrectionDecision> ExtendedCorrectionEngine::automaticDecision(
    std::string_view token, std::string_view context, std::string_view applicationBundleIdentifier,
    const std::optional<KeyboardLayout>& currentLayout, double threshold) const {
    return described_->automaticDecision(token, context, applicationBundleIdentifier,
                                         currentLayout, threshold);
}

std::string ExtendedCorrectionEngine::convertedDelimiter(std::string_view delimiter,
                                                         const CorrectionDecision& decision) const {
    return described_->convertedDelimiter(delimiter, decision);
}

std::optional<double> ExtendedCorrectionEngine::logOdds(std::string_view token,
                                                        std::string_view context,
                                                        const KeyboardLayout& sourceLayout,
                                                        const LayoutConversionCandidate& candidate,
                                                        std::string& corrected) const {
    const WordLikelihood* source = likelihood(sourceLayout);
    const WordLikelihood* target = likelihood(candidate.layout);
    const Text typed = scalars(token);
    if (!source || !target || hasDigit(typed) || mixesScripts(typed)) {
        return std::nullopt;
    }
    // The text as typed keeps the punctuation it has at either end.
    const Text asTyped = scalars(token);
    const auto first = std::find_if(asTyped.begin(), asTyped.end(), isLetter);
    const auto last = std::find_if(asTyped.rbegin(), asTyped.rend(), isLetter).base();
    if (first >= last) {
        return std::nullopt;
    }
    const Text typedCore(first, last);
    if (refusedBySafety(described_->assessSafety(utf8(typedCore), context))) {
        return std::nullopt;
    }
    const auto reading = bestReading(typed, scalars(candidate.token), *target);
    if (!reading) {
        return std::nullopt;
    }
    const auto sourceLanguage = sourceLayout.baseLanguage();
    const auto targetLanguage = candidate.layout.baseLanguage();
    const Script previous = previousWordScript(context);
    const Script targetScript = scriptOf(reading->core);
    const Script sourceScript = scriptOf(typedCore);
    double continuity = 0.0;
    if (previous != Script::none) {
        continuity += previous == targetScript ? kContinuityLogOdds : 0.0;
        continuity -= previous == sourceScript ? kContinuityLogOdds : 0.0;
    }
    if (typedCore.size() == 1 && isOneLetterWord(typedCore[0], sourceLanguage)) {
        return std::nullopt;
    }
    double odds = 0.0;
    if (reading->core.size() == 1) {
        const char32_t letter = reading->core[0];
        // A lone capital is an initial as often as a word: only mid-sentence in that language.
        if (!isOneLetterWord(letter, targetLanguage) ||
            (isUppercaseLetter(letter) && previous != targetScript)) {
            return std::nullopt;
        }
        odds = kOneLetterLogOdds;
    } else {
        // Acronyms stay unless the other reading is a listed word and the typed one is not.
        if (typedCore.size() <= 4 && isAllCapitals(typedCore) &&
            (!target->listedLogProbability(reading->core) || source->isKnown(typedCore))) {
            return std::nullopt;
        }
        odds = reading->logProbability - source->logProbability(typedCore);
    }
    corrected = utf8(reading->lead + reading->core + reading->trail);
    return odds + continuity;
}

const WordLikelihood* ExtendedCorrectionEngine::likelihood(const KeyboardLayout& layout) const {
    const auto language = layout.baseLanguage();
    if (!language) {
        return nullptr;
    }
    const auto found = likelihoods_.find(*language);
    return found == likelihoods_.end() ? nullptr : &found->second;
}

// The keys at either end may be punctuation: typed as such (kept as typed) or read as
// punctuation in the target layout (kept as read). Every split is scored; the best wins.
std::optional<ExtendedCorrectionEngine::Reading> ExtendedCorrectionEngine::bestReading(
    std::u32string_view typed, std::u32string_view reread, const WordLikelihood& target) const {
    const std::size_t n = reread.size();
    const bool aligned = typed.size() == n;
    std::optional<Reading> best;
    const auto outside = [&](std::size_t i) -> std::optional<char32_t> {
        if (!isLetter(reread[i])) {
            return reread[i];
        }
        if (aligned && !isLetter(typed[i])) {
            return typed[i];
        }
        return std::nullopt;
    };
    for (std::size_t lead = 0; lead <= std::min(kMaximumOuterKeys, n); ++lead) {
        if (lead > 0 && !outside(lead - 1)) {
            break;
        }
        for (std::size_t trail = 0; lead + trail < n && trail <= kMaximumOuterKeys; ++trail) {
            if (trail > 0 && !outside(n - trail)) {
                break;
            }
            const auto core = reread.substr(lead, n - lead - trail);
            if (!isLetter(core.front()) || !isLetter(core.back())) {
                continue;
            }
            Reading reading;
            for (std::size_t i = 0; i < lead; ++i) {
                reading.lead += *outside(i);
            }
            for (std::size_t i = n - trail; i < n; ++i) {
                reading.trail += *outside(i);
            }
            reading.core = Text(core);
            reading.logProbability = target.logProbability(core);
            if (!best || reading.logProbability > best->logProbability) {
                best = std::move(reading);
            }
        }
    }
    return best;
}

double ExtendedCorrectionEngine::historyAdjustment(
    std::string_view original, std::string_view corrected,
    std::string_view applicationBundleIdentifier) const {
    HistoryScoring* history = described_->history();
    return history ? history->confidenceAdjustment(original, corrected, applicationBundleIdentifier)
                   : 0.0;
}

}  // namespace plovik
