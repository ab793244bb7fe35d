#include "core/decision/ExtendedEngine.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "core/decision/WordShape.h"
#include "core/text/CharacterClass.h"
#include "core/text/Utf8.h"

namespace plovik {

namespace {

// The log-odds against a wrong layout before the word is read: most words are typed right,
// and a user rarely switches languages in the middle of a sentence.
constexpr double kPriorAfterTargetLanguage = 1.0;
// After several words of the other language the user is writing in it: a word real in both
// layouts is more likely that language's.
constexpr double kPriorAfterTargetRun = -2.0;
constexpr double kPriorWithoutContext = 3.0;
constexpr double kPriorAfterSourceLanguage = 5.0;
// The user selected the layout right before the word: only an accidental switch makes it a
// slip, and then the other reading must be far likelier (a word against no word at all).
// Higher, it would keep common short words typed after an accidental switch as well.
constexpr double kPriorAfterLayoutSwitch = 6.0;
// When neither reading is a known word, letter models only hint; their margin counts this much.
constexpr double kUnknownWordsWeight = 0.35;
// Short spellings that no list knows are acronyms and names more often than words.
constexpr std::size_t kShortestUnknownWord = 5;
// Punctuation as typed, where the other layout reads a letter, is a slip less often than not.
constexpr double kTypedPunctuationLogOdds = 4.5;
// The share of running text made of words no list holds.
constexpr double kUnlistedShare = 0.03;
// An unknown capitalised word is likely a name.
constexpr double kUnknownNameLogOdds = 2.0;
// A character glued to a word that may neither open nor close one (` ; after a letter...).
constexpr double kStrayCharacterLogOdds = 8.0;
// A one-letter word of the other language where the typed letter is no word.
constexpr double kOneLetterLogOdds = 7.0;
// Keys at either end that may be punctuation rather than letters.
constexpr std::size_t kMaximumOuterKeys = 3;
// The most letters read as an acronym.
constexpr std::size_t kLongestAcronym = 4;
// Capitals no list or dictionary of Russian knows, read as Latin capitals.
constexpr double kLatinAcronymLogOdds = 8.0;
// A runner-up this close, in log-odds, is too close to call.
constexpr double kAmbiguityLogOdds = 1.0;

using Script = WordShape::Script;

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

// The script of the last word before the run (the language the user was writing in), how
// many words in a row before the run are written in it (at most `kLongestRun`), and the
// script written before those.
struct PreviousWords {
    Script script = Script::none;
    int run = 0;
    Script before = Script::none;
    // The last run of non-space characters before the word.
    Text last;
};

constexpr int kLongestRun = 3;

PreviousWords previousWords(std::string_view context) {
    const Text text = scalars(context);
    PreviousWords previous;
    bool inWord = false;
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        if (text::CharacterClass::isWhitespace(*it)) {
            inWord = false;
            continue;
        }
        const Script script = WordShape::scriptOf(*it);
        if (script == Script::none) {
            continue;
        }
        if (previous.script == Script::none) {
            previous.script = script;
        } else if (script != previous.script) {
            previous.before = script;
            break;
        }
        if (!inWord && previous.run++ == kLongestRun) {
            break;
        }
        inWord = true;
    }
    previous.run = std::min(previous.run, kLongestRun);
    const auto isSpace = [](char32_t c) { return text::CharacterClass::isWhitespace(c); };
    const auto end = std::find_if_not(text.rbegin(), text.rend(), isSpace);
    const auto start = std::find_if(end, text.rend(), isSpace);
    previous.last = Text(start.base(), end.base());
    return previous;
}

// Characters no key of these layouts types (« — …) reach the token but not the keys' reading
// in the other layout; they are put back where they stood. Absent when the reading cannot
// be lined up with the token, which must then stay as typed rather than lose characters.
std::optional<Text> withKeylessCharacters(TextView typed, TextView reread) {
    if (typed.size() == reread.size()) {
        return Text(reread);
    }
    const auto keyless =
        static_cast<std::size_t>(std::count_if(typed.begin(), typed.end(), WordShape::isKeyless));
    if (reread.size() + keyless != typed.size()) {
        return std::nullopt;
    }
    Text restored;
    restored.reserve(typed.size());
    std::size_t next = 0;
    for (const char32_t c : typed) {
        restored += WordShape::isKeyless(c) ? c : reread[next++];
    }
    return restored;
}

bool endsSentence(std::string_view context) {
    const Text text = scalars(context);
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        if (*it == U'\n') {
            return true;
        }
        if (!text::CharacterClass::isWhitespace(*it)) {
            // Dialogue and quotations start sentences too.
            static constexpr std::u32string_view kStarts = U".!?…:—–-«\"„“";
            return kStarts.find(*it) != std::u32string_view::npos;
        }
    }
    return true;
}

// The last character before the run, spaces skipped.
std::optional<char32_t> lastMark(std::string_view context) {
    const Text text = scalars(context);
    const auto it = std::find_if_not(text.rbegin(), text.rend(), [](char32_t c) {
        return text::CharacterClass::isWhitespace(c);
    });
    return it == text.rend() ? std::nullopt : std::optional<char32_t>(*it);
}

bool startsLine(std::string_view context) {
    return context.empty() || context.back() == '\n';
}

bool refusedBySafety(const SafetyAssessment& assessment, TextView letters) {
    // Length, code characters and mixed scripts are judged here on the whole run instead.
    if (assessment.isAllowed || assessment.exclusion == SafetyExclusion::tooShort ||
        assessment.exclusion == SafetyExclusion::codeLike ||
        assessment.exclusion == SafetyExclusion::mixedAlphabet) {
        return false;
    }
    // Commands and their arguments are Latin: Cyrillic after "make" or "git" is a slip
    // ("make ыгку").
    if (assessment.exclusion == SafetyExclusion::shellCommand) {
        return WordShape::scriptOf(letters) != Script::cyrillic;
    }
    // Ukrainian types its apostrophe on the key of @: an address needs a dot after the @.
    if (assessment.exclusion == SafetyExclusion::email) {
        const auto at = letters.find(U'@');
        return at != TextView::npos && letters.find(U'.', at) != TextView::npos;
    }
    return true;
}

// Latin acronyms (PDF, TCP) are written amid Russian text, while Russian ones stay in their
// own, and its lists and dictionary know many: two to four capitals they do not know read
// better as Latin ones that English knows, or where nothing Russian starts so (Ь, Ъ, Ы:
// ЫМСВ). Two letters only when English knows them as an acronym (ТВ is no slip for "ND").
// Longer capitals are words written loud or names (ФИНЕЙГЛА), and Russian acronyms need
// not spell like words (СЗМ). Ukrainian's lists are too small to tell its acronyms apart.
bool readsAsLatinAcronym(bool typedIsKnown, std::u32string_view typedCore,
                         std::u32string_view readingCore, const WordLikelihood& target,
                         const std::optional<std::string>& sourceLanguage,
                         const std::optional<std::string>& targetLanguage) {
    if (sourceLanguage != "ru" || targetLanguage != "en" || typedIsKnown ||
        !WordShape::isAllCapitals(typedCore) || !WordShape::isAllCapitals(readingCore) ||
        WordShape::scriptOf(readingCore) != Script::latin || readingCore.size() < 2 ||
        readingCore.size() > kLongestAcronym) {
        return false;
    }
    const bool acronym = target.isAcronym(readingCore);
    static constexpr std::u32string_view kNoRussianStart = U"ЬЪЫ";
    const bool noRussianStart = kNoRussianStart.find(typedCore[0]) != std::u32string_view::npos;
    return readingCore.size() == 2 ? acronym
                                   : acronym || noRussianStart || target.isKnown(readingCore);
}

// After a switch of layouts, Russian text typed on: a lone key, nothing around it, that
// reads as a preposition or conjunction after a plain Russian word. A label or a key named
// mostly carries punctuation ("клавишу e.", "r,") or follows a word that names it; Latin c
// stands for "с" in text typed with the wrong letter as often as for itself.
bool isBarePreposition(TextView typed, TextView lead, TextView core, TextView trail) {
    static constexpr std::u32string_view kPrepositions = U"викоуая";
    return lead.empty() && trail.empty() && typed.size() == 1 && core.size() == 1 &&
           kPrepositions.find(core[0]) != std::u32string_view::npos;
}

// A Cyrillic letter that no word is alone, read as a mark that stands between spaces.
bool isLoneMarkRead(TextView typed, TextView reread) {
    static constexpr std::u32string_view kMarks = U",.:;\"'";
    static constexpr std::u32string_view kLetters = U"бюжэБЮЖЭ";
    return typed.size() == 1 && reread.size() == 1 &&
           kLetters.find(typed[0]) != std::u32string_view::npos &&
           kMarks.find(reread[0]) != std::u32string_view::npos;
}

// Words after which a lone letter is a key, a letter or a variable named ("клавишу b").
bool namesALetter(TextView word) {
    static constexpr std::u32string_view kStems[] = {U"клавиш",   U"кнопк", U"букв",     U"символ",
                                                     U"переменн", U"пункт", U"параметр", U"опци",
                                                     U"ключ",     U"флаг",  U"значени",  U"равн"};
    Text lower;
    for (const char32_t c : word) {
        lower += (c >= U'А' && c <= U'Я') ? c + (U'а' - U'А') : c;
    }
    return std::any_of(std::begin(kStems), std::end(kStems),
                       [&](std::u32string_view stem) { return lower.starts_with(stem); });
}

double logistic(double x) {
    return 1.0 / (1.0 + std::exp(-x));
}

std::string percent(double confidence) {
    return std::to_string(static_cast<long long>(std::trunc(confidence * 100.0)));
}

}  // namespace

ExtendedEngine::LanguageModels ExtendedEngine::loadLanguageModels(
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

ExtendedEngine::ExtendedEngine(std::unique_ptr<StandardEngine> standard, LanguageModels models,
                               SpellChecker* spellChecker, std::size_t rememberedWords)
    : standard_(std::move(standard)),
      models_(std::move(models)),
      typedWords_(rememberedWords),
      readings_(rememberedWords) {
    if (!standard_) {
        throw std::invalid_argument("ExtendedEngine needs the standard engine");
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
        likelihoods_.emplace(language, WordLikelihood(language, model, spellChecker, spellLanguage,
                                                      rememberedWords));
    }
}

SafetyAssessment ExtendedEngine::assessSafety(std::string_view token,
                                              std::string_view context) const {
    return standard_->assessSafety(token, context);
}

std::optional<CorrectionVerdict> ExtendedEngine::automaticDecision(
    std::string_view token, std::string_view context, std::string_view applicationBundleIdentifier,
    const KeyboardLayout& sourceLayout, const std::vector<LayoutConversionCandidate>& candidates,
    double threshold, const std::optional<PreviousWord>& previousWord) const {
    const PreviousWord* switchedFrom =
        previousWord && previousWord->layout != sourceLayout ? &*previousWord : nullptr;
    struct Scored {
        CorrectionVerdict decision;
        double odds;
    };
    std::vector<Scored> scored;
    // The word as typed is scored once, for every candidate.
    std::optional<std::optional<TypedWord>> typed;
    for (const auto& candidate : candidates) {
        if (candidate.token.empty() || candidate.token == token) {
            continue;
        }
        if (!likelihood(sourceLayout) || !likelihood(candidate.layout)) {
            if (auto decision = standard_->automaticDecision(
                    token, context, applicationBundleIdentifier, sourceLayout, {candidate}, 0.0)) {
                const double p = std::clamp(decision->confidence, 1e-6, 1.0 - 1e-6);
                scored.push_back({std::move(*decision), std::log(p / (1.0 - p))});
            }
            continue;
        }
        if (!typed) {
            typed = typedWord(token, context, sourceLayout);
        }
        if (!*typed) {
            continue;
        }
        auto odds = logOdds(**typed, context, sourceLayout, switchedFrom, candidate);
        if (!odds || odds->corrected == token) {
            continue;
        }
        std::string corrected = std::move(odds->corrected);
        const double h = historyAdjustment(token, corrected, applicationBundleIdentifier);
        const double confidence = std::clamp(logistic(odds->logOdds) + h, 0.0, 1.0);
        scored.push_back({{std::string(token), std::move(corrected), sourceLayout, candidate.layout,
                           candidate.delimiter, confidence,
                           "Converted text is more plausible in " + candidate.layout.displayName +
                               " (" + percent(confidence) + "%)."},
                          odds->logOdds});
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const auto& a, const auto& b) { return a.odds > b.odds; });
    if (scored.empty() || !(scored[0].decision.confidence >= threshold)) {
        for (const auto& candidate : candidates) {
            if (auto compound = compoundDecision(token, context, applicationBundleIdentifier,
                                                 sourceLayout, candidate, threshold)) {
                return compound;
            }
            if (auto digits = digitsDecision(token, context, applicationBundleIdentifier,
                                             sourceLayout, candidate, threshold, previousWord)) {
                return digits;
            }
        }
        return std::nullopt;
    }
    if (scored.size() > 1 && scored[1].decision.corrected != scored[0].decision.corrected &&
        scored[0].odds - scored[1].odds < kAmbiguityLogOdds) {
        return std::nullopt;
    }
    return std::move(scored[0].decision);
}

std::optional<CorrectionVerdict> ExtendedEngine::manualDecision(
    std::string_view token, std::string_view applicationBundleIdentifier,
    const KeyboardLayout& sourceLayout,
    const std::vector<LayoutConversionCandidate>& candidates) const {
    // The user asked for a conversion: the text around the word and the threshold do not
    // count, and where the rules keep the word the standard engine still offers one.
    if (auto decision = automaticDecision(token, "", applicationBundleIdentifier, sourceLayout,
                                          candidates, 0.0)) {
        return decision;
    }
    return standard_->manualDecision(token, applicationBundleIdentifier, sourceLayout, candidates);
}

std::string ExtendedEngine::convertedDelimiter(std::string_view delimiter,
                                               const CorrectionVerdict& decision) const {
    return standard_->convertedDelimiter(delimiter, decision);
}

std::optional<CorrectionVerdict> ExtendedEngine::compoundDecision(
    std::string_view token, std::string_view context, std::string_view applicationBundleIdentifier,
    const KeyboardLayout& sourceLayout, const LayoutConversionCandidate& candidate,
    double threshold) const {
    // Most words have no hyphen: they need not be decoded again.
    if (token.find('-') == std::string_view::npos) {
        return std::nullopt;
    }
    const Text typed = scalars(token);
    const Text reread = scalars(candidate.token);
    const auto hyphen = typed.find(U'-');
    if (typed.size() != reread.size() || hyphen == Text::npos || hyphen == 0 ||
        !likelihood(sourceLayout) || !likelihood(candidate.layout)) {
        return std::nullopt;
    }
    std::string corrected;
    std::string partContext(context);
    std::optional<double> confidence;
    bool lastChanged = false;
    std::size_t start = 0;
    while (start <= typed.size()) {
        const std::size_t end = std::min(typed.find(U'-', start), typed.size());
        const std::string typedPart = utf8(TextView(typed).substr(start, end - start));
        const std::string rereadPart = utf8(TextView(reread).substr(start, end - start));
        // Only words of letters joined by hyphens; a lone letter is a key or a label (Ctrl-C).
        const TextView typedLetters = TextView(typed).substr(start, end - start);
        if ((end < typed.size() && reread[end] != U'-') ||
            !std::all_of(typedLetters.begin(), typedLetters.end(), isLetter) ||
            typedLetters.size() < 2) {
            return std::nullopt;
        }
        const auto part =
            rereadPart.empty() || rereadPart == typedPart
                ? std::nullopt
                : automaticDecision(typedPart, partContext, applicationBundleIdentifier,
                                    sourceLayout, {{candidate.layout, rereadPart, ""}}, threshold,
                                    std::nullopt);
        // A part kept as typed must be a word of its language, or the whole is no compound.
        if (!part && !typedPart.empty() && !isKnownWord(scalars(typedPart), sourceLayout)) {
            return std::nullopt;
        }
        corrected += part ? part->corrected : typedPart;
        if (part) {
            confidence = std::min(confidence.value_or(1.0), part->confidence);
        }
        lastChanged = part.has_value();
        if (end < typed.size()) {
            corrected += '-';
        }
        partContext = std::string(context) + corrected;
        start = end + 1;
    }
    if (!confidence || corrected == token) {
        return std::nullopt;
    }
    // The layout of the last part is the one the user goes on typing in.
    const KeyboardLayout& after = lastChanged ? candidate.layout : sourceLayout;
    return CorrectionVerdict{std::string(token),
                             corrected,
                             sourceLayout,
                             after,
                             lastChanged ? std::optional(candidate.delimiter) : std::nullopt,
                             *confidence,
                             "Part of the compound is more plausible in " +
                                 candidate.layout.displayName + " (" + percent(*confidence) +
                                 "%)."};
}

std::optional<CorrectionVerdict> ExtendedEngine::digitsDecision(
    std::string_view token, std::string_view context, std::string_view applicationBundleIdentifier,
    const KeyboardLayout& sourceLayout, const LayoutConversionCandidate& candidate,
    double threshold, const std::optional<PreviousWord>& previousWord) const {
    // Only the digit keys type digits, alike in every layout; most words have none.
    if (std::none_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    const Text typed = scalars(token);
    const Text reread = scalars(candidate.token);
    if (!WordShape::hasDigit(typed) || typed.size() != reread.size() ||
        WordShape::scriptOf(typed) != Script::cyrillic || WordShape::mixesScripts(typed) ||
        candidate.layout.baseLanguage() != "en") {
        return std::nullopt;
    }
    Text typedLetters;
    Text rereadLetters;
    std::vector<std::size_t> digitPlaces;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        if (text::CharacterClass::isNumber(typed[i])) {
            if (reread[i] != typed[i]) {
                return std::nullopt;
            }
            digitPlaces.push_back(i);
        } else {
            typedLetters += typed[i];
            rereadLetters += reread[i];
        }
    }
    if (std::count_if(typedLetters.begin(), typedLetters.end(), isLetter) < 2) {
        return std::nullopt;
    }
    auto decision = automaticDecision(
        utf8(typedLetters), context, applicationBundleIdentifier, sourceLayout,
        {{candidate.layout, utf8(rereadLetters), candidate.delimiter}}, threshold, previousWord);
    if (!decision) {
        return std::nullopt;
    }
    Text corrected = scalars(decision->corrected);
    if (corrected.size() != typedLetters.size() ||
        WordShape::scriptOf(corrected) != Script::latin) {
        return std::nullopt;
    }
    for (const std::size_t place : digitPlaces) {
        corrected.insert(corrected.begin() + static_cast<std::ptrdiff_t>(place), typed[place]);
    }
    decision->original = std::string(token);
    decision->corrected = utf8(corrected);
    return decision;
}

std::optional<ExtendedEngine::TypedWord> ExtendedEngine::typedWord(
    std::string_view token, std::string_view context, const KeyboardLayout& sourceLayout) const {
    const WordLikelihood* source = likelihood(sourceLayout);
    Text typed = scalars(token);
    if (!source || WordShape::hasDigit(typed) || WordShape::mixesScripts(typed)) {
        return std::nullopt;
    }
    // Latin text writes names and units with a capital inside (kB, iOS); Cyrillic does not,
    // and there such a capital is a shifted punctuation key (Ж for :).
    if (const auto core = wordAsTyped(typed);
        core && WordShape::scriptOf(*core) == Script::latin && WordShape::hasInnerCapital(*core)) {
        return std::nullopt;
    }
    const TextView letters = WordShape::lettersSpan(typed);
    if (refusedBySafety(standard_->assessSafety(utf8(letters), context), letters)) {
        return std::nullopt;
    }
    return scoredWord(std::move(typed), *sourceLayout.baseLanguage(), *source);
}

const ExtendedEngine::TypedWord& ExtendedEngine::scoredWord(std::u32string typed,
                                                            const std::string& language,
                                                            const WordLikelihood& source) const {
    Text key(language.begin(), language.end());
    key += U'\n';
    key += typed;
    if (const TypedWord* known = typedWords_.find(key)) {
        return *known;
    }
    TypedWord word;
    auto core = wordAsTyped(typed);
    if (!core) {
        // Only punctuation keys: no word as typed, perhaps one in the other layout.
        word.logProbability = lowerCaseLogProbability(typed, source.model());
        word.core = typed;
        word.hasLetters = false;
    } else if (core->size() == 1) {
        // Lists count lone letters from abbreviations and options; as a word, one is rare.
        word.logProbability = lowerCaseLogProbability(*core, source.model());
        word.core = std::move(*core);
    } else {
        const auto assessment = source.assess(*core);
        word.logProbability = typedLogProbability(typed, assessment.logProbability, source);
        word.isDictionaryWord = assessment.isDictionaryWord;
        word.isListed = assessment.isListed;
        // Keys typed as punctuation inside a word (~n, a.b) are judged by the letter models.
        word.spellsLikeAWord = !WordShape::isLettersOnly(*core) || source.spellsLikeAWord(*core);
        word.core = std::move(*core);
    }
    word.typed = std::move(typed);
    return typedWords_.remember(std::move(key), std::move(word));
}

// One candidate's reading against the word as typed, with the words before it.
struct ExtendedEngine::Question {
    const TypedWord& word;
    const Reading& reading;
    std::string_view context;
    const KeyboardLayout& sourceLayout;
    const KeyboardLayout& targetLayout;
    const WordLikelihood& target;
    PreviousWords before;
    std::optional<std::string> sourceLanguage;
    std::optional<std::string> targetLanguage;
    Script sourceScript;
    Script targetScript;
};

std::optional<ExtendedEngine::Odds> ExtendedEngine::logOdds(
    const TypedWord& word, std::string_view context, const KeyboardLayout& sourceLayout,
    const PreviousWord* switchedFrom, const LayoutConversionCandidate& candidate) const {
    const WordLikelihood* target = likelihood(candidate.layout);
    if (!target) {
        return std::nullopt;
    }
    const auto reread = withKeylessCharacters(word.typed, scalars(candidate.token));
    if (!reread) {
        return std::nullopt;
    }
    if (!switchedFrom && isLoneMarkRead(word.typed, *reread)) {
        return loneMarkOdds(context, candidate.layout, *reread);
    }
    // х and ъ are brackets only where, as letters, they spell nothing the language writes.
    const auto reading = rememberedReading(word.typed, *reread, *candidate.layout.baseLanguage(),
                                           *target, !word.spellsLikeAWord);
    if (!reading) {
        return std::nullopt;
    }
    const Question question{word,
                            *reading,
                            context,
                            sourceLayout,
                            candidate.layout,
                            *target,
                            previousWords(context),
                            sourceLayout.baseLanguage(),
                            candidate.layout.baseLanguage(),
                            WordShape::scriptOf(word.core),
                            WordShape::scriptOf(reading->core)};
    double prior = contextPrior(question);
    if (switchedFrom) {
        const auto afterSwitch = switchPrior(question, *switchedFrom, prior);
        if (!afterSwitch) {
            return std::nullopt;
        }
        prior = *afterSwitch;
    }
    if (keepsTypedWord(question)) {
        return std::nullopt;
    }
    if (reading->core.size() == 1) {
        const auto evidence = oneLetterEvidence(question);
        if (!evidence) {
            return std::nullopt;
        }
        return Odds{*evidence - prior, spelled(*reading)};
    }
    return wordOdds(question, prior);
}

// A punctuation key of a Latin text typed under Cyrillic as a word of its own ("hello б
// world" for "hello , world"), right after a word of that text.
std::optional<ExtendedEngine::Odds> ExtendedEngine::loneMarkOdds(std::string_view context,
                                                                 const KeyboardLayout& targetLayout,
                                                                 std::u32string_view reread) const {
    const PreviousWords before = previousWords(context);
    if (before.script != Script::latin || !isKnownWord(before.last, targetLayout)) {
        return std::nullopt;
    }
    return Odds{kOneLetterLogOdds - kPriorAfterTargetLanguage, utf8(reread)};
}

// Several words of the other language tell apart two words real in both layouts; a spelling
// the dictionary rejects amid them is as often a term (Qt, ld) as a slip.
double ExtendedEngine::contextPrior(const Question& question) const {
    const PreviousWords& before = question.before;
    const Script previous = before.script;
    const Script targetScript = question.targetScript;
    const Script sourceScript = question.sourceScript;
    if (previous == Script::none || targetScript == sourceScript) {
        return kPriorWithoutContext;
    }
    return previous == targetScript
               ? (before.run >= 2 && question.word.isDictionaryWord ? kPriorAfterTargetRun
                                                                    : kPriorAfterTargetLanguage)
           : previous != sourceScript || !isKnownWord(before.last, question.sourceLayout)
               ? kPriorWithoutContext
           // A term or two of the typed script amid text of the other say little about a
           // one-letter word after them ("Ubuntu Linux d" for "... в"); longer ones there are
           // mostly more terms ("GNU ld").
           : before.run <= 2 && before.before == targetScript && question.reading.core.size() == 1
               ? kPriorWithoutContext
               : kPriorAfterSourceLanguage;
}

// Switching layouts between two words is a choice: the word is meant as typed unless its
// reading is far likelier, and a lone letter is a label or a key named ("клавишу e."), unless
// it stands bare as a Russian preposition: the switch was a slip then. Absent: kept as typed.
std::optional<double> ExtendedEngine::switchPrior(const Question& question,
                                                  const PreviousWord& switchedFrom,
                                                  double prior) const {
    const Reading& reading = question.reading;
    if (reading.core.size() == 1 &&
        !(question.targetLanguage == "ru" &&
          isBarePreposition(question.word.typed, reading.lead, reading.core, reading.trail) &&
          isPlainWordOf(switchedFrom.text, question.targetLayout))) {
        return std::nullopt;
    }
    return reading.core.size() == 1 ? kPriorAfterTargetLanguage
                                    : std::max(prior, kPriorAfterLayoutSwitch);
}

bool ExtendedEngine::keepsTypedWord(const Question& question) {
    const Text& typedCore = question.word.core;
    if (typedCore.size() == 1 &&
        WordShape::isOneLetterWord(typedCore[0], question.sourceLanguage)) {
        return true;
    }
    // A lone punctuation key becomes a word only amid text of that language.
    return !question.word.hasLetters && question.before.script != question.targetScript;
}

// A one-letter reading; absent where it is no word of its own.
std::optional<double> ExtendedEngine::oneLetterEvidence(const Question& question) const {
    const TypedWord& word = question.word;
    const Reading& reading = question.reading;
    const Text& typed = word.typed;
    const std::string_view context = question.context;
    const char32_t letter = reading.core[0];
    // A lone capital is an initial or a drive as often as a word: only where a sentence
    // starts ("I" and "A" are words anywhere).
    const bool capitalAllowed =
        (question.targetLanguage == "en" && (letter == U'I' || letter == U'A')) ||
        endsSentence(context) ||
        endsSentenceInLayout(context, question.sourceLayout, question.targetLayout);
    // A letter in brackets or quotes is a label or a letter named, not a word.
    const bool enclosed = !reading.lead.empty() && WordShape::opensWord(reading.lead.back()) &&
                          !reading.trail.empty() && WordShape::closesWord(reading.trail.front());
    // A letter after a hyphen is a command's option (-f), not a word.
    const bool isOption = reading.lead.ends_with(U'-');
    // A capital and a colon opening a line label a question or an answer ("Q:", "A:"), where
    // the keys as typed spell no word.
    const bool label = WordShape::isUppercaseLetter(letter) && reading.lead.empty() &&
                       reading.trail == U":" && startsLine(context) && !word.isListed &&
                       !word.isDictionaryWord;
    // A letter and a full stop read from another key, after a word of the other language, are
    // an initial or an abbreviation ("Arthur C. Clarke", "и т. д.") where the keys as typed
    // spell no word.
    const std::size_t stop = reading.core.size();
    const bool initial = reading.lead.empty() && reading.trail.starts_with(U'.') &&
                         stop < typed.size() && typed[stop] != U'.' &&
                         question.before.script == question.targetScript && !word.isDictionaryWord;
    if (label || initial) {
        return kOneLetterLogOdds;
    }
    if (!WordShape::isOneLetterWord(letter, question.targetLanguage) || enclosed || isOption ||
        (WordShape::isUppercaseLetter(letter) && !capitalAllowed)) {
        return std::nullopt;
    }
    return kOneLetterLogOdds;
}

// A reading of two letters or more: the margin of its probability over the typed word's,
// against the prior, the one for unknown words and the one for names.
std::optional<ExtendedEngine::Odds> ExtendedEngine::wordOdds(const Question& question,
                                                             double prior) const {
    const TypedWord& word = question.word;
    const Reading& reading = question.reading;
    const bool latinAcronym = readsAsLatinAcronym(
        word.isListed || word.isDictionaryWord, alignedKeys(word.typed, reading), reading.core,
        question.target, question.sourceLanguage, question.targetLanguage);
    if (keepsAcronym(question, latinAcronym)) {
        return std::nullopt;
    }
    const double margin = reading.logProbability - word.logProbability;
    if (latinAcronym) {
        return Odds{std::max(margin, kLatinAcronymLogOdds) - prior, spelled(reading)};
    }
    // A spelling its language never writes is neither an unlisted word nor a name of it, so
    // the other reading, which could be either, is the likelier of the two.
    const bool noSpellingAsTyped = !word.isListed && !word.isDictionaryWord &&
                                   !word.spellsLikeAWord &&
                                   question.target.spellsLikeAWord(reading.core);
    const bool neitherKnown = !word.isListed && !word.isDictionaryWord && !reading.isKnown;
    if (neitherKnown && reading.core.size() < kShortestUnknownWord && !noSpellingAsTyped) {
        return std::nullopt;
    }
    const double evidence =
        neitherKnown ? unknownWordsEvidence(question, margin, noSpellingAsTyped) : margin;
    // Continuity tells words of a language apart, not a word from a name or a term.
    const double unknownWordsPrior =
        neitherKnown ? std::max(prior, kPriorAfterTargetLanguage) : prior;
    return Odds{evidence - (unknownWordsPrior + namePrior(question, noSpellingAsTyped)),
                spelled(reading)};
}

// Acronyms stay unless the other reading is an acronym too and the typed one is no word: TLS
// amid Russian is no slip for "еды". After a word in capitals the text is written in
// capitals, and then any listed word will do.
bool ExtendedEngine::keepsAcronym(const Question& question, bool latinAcronym) {
    const Reading& reading = question.reading;
    const WordLikelihood& target = question.target;
    const bool targetKnown = reading.core.size() > 4 ? reading.isKnown
                             : WordShape::isWordInCapitals(question.before.last)
                                 ? target.listedLogProbability(reading.core).has_value()
                                 : target.isAcronym(reading.core);
    return WordShape::isAllCapitals(question.word.core) && !latinAcronym &&
           (!targetKnown || question.word.isListed);
}

// Neither reading is a known word: the letter models only hint. Latin terms no list holds
// (dpkg, kmail) are common amid Russian; spelled so that Russian could not write them, the
// letters say all there is to say.
double ExtendedEngine::unknownWordsEvidence(const Question& question, double margin,
                                            bool noSpellingAsTyped) {
    if (noSpellingAsTyped && question.sourceLanguage == "ru" && question.targetLanguage == "en") {
        return margin;
    }
    return margin * kUnknownWordsWeight;
}

// Names are often unknown words, and some read as words in the other layout; where a
// sentence starts, every word has its capital.
double ExtendedEngine::namePrior(const Question& question, bool noSpellingAsTyped) const {
    const bool name =
        WordShape::isCapitalised(question.word.core) && !question.word.isDictionaryWord &&
        !noSpellingAsTyped && !endsSentence(question.context) &&
        !endsSentenceInLayout(question.context, question.sourceLayout, question.targetLayout);
    return name ? kUnknownNameLogOdds : 0.0;
}

std::string ExtendedEngine::spelled(const Reading& reading) {
    return utf8(reading.lead + reading.core + reading.trail);
}

// The likelier of the word as typed and its letters alone, the stray punctuation around
// them then counting as slips.
double ExtendedEngine::typedLogProbability(std::u32string_view typed, double coreLogProbability,
                                           const WordLikelihood& source) {
    double best = coreLogProbability;
    const auto letters = WordShape::lettersSpan(typed);
    const auto core = wordAsTyped(typed);
    if (core && letters.size() != core->size() && letters.size() > 1) {
        const auto stray = static_cast<double>(core->size() - letters.size());
        best = std::max(best, source.logProbability(letters) - stray * kStrayCharacterLogOdds);
    }
    return best;
}

// A spelling no list holds, scored by its letters alone.
double ExtendedEngine::lowerCaseLogProbability(std::u32string_view text,
                                               const LanguageModel& model) {
    Text lower;
    for (const char32_t c : text) {
        lower += c < 0x80 ? static_cast<char32_t>(std::tolower(static_cast<int>(c))) : c;
    }
    return std::log(kUnlistedShare) + model.spellingLogProbability(lower);
}

// The word as typed, without the characters that may open or close it; absent without letters.
std::optional<std::u32string> ExtendedEngine::wordAsTyped(std::u32string_view typed) {
    std::size_t begin = 0;
    std::size_t end = typed.size();
    while (begin < end && !isLetter(typed[begin]) && WordShape::opensWord(typed[begin])) {
        ++begin;
    }
    while (end > begin && !isLetter(typed[end - 1]) && WordShape::closesWord(typed[end - 1])) {
        --end;
    }
    const auto core = typed.substr(begin, end - begin);
    if (std::none_of(core.begin(), core.end(), isLetter)) {
        return std::nullopt;
    }
    return Text(core);
}

// Only a word its language knows tells which language the user writes in: an option, a
// number, a name or a slip left as typed says little.
bool ExtendedEngine::isKnownWord(std::u32string_view chunk, const KeyboardLayout& layout) const {
    const auto core = wordAsTyped(chunk);
    const WordLikelihood* language = likelihood(layout);
    return !core || !language ||
           (WordShape::isLettersOnly(*core) && language->spellsLikeAWord(*core) &&
            language->assess(*core).isKnown());
}

const WordLikelihood* ExtendedEngine::likelihood(const KeyboardLayout& layout) const {
    const auto language = layout.baseLanguage();
    if (!language) {
        return nullptr;
    }
    const auto found = likelihoods_.find(*language);
    return found == likelihoods_.end() ? nullptr : &found->second;
}

std::optional<ExtendedEngine::Reading> ExtendedEngine::rememberedReading(
    std::u32string_view typed, std::u32string_view reread, const std::string& language,
    const WordLikelihood& target, bool lettersMayBeBrackets) const {
    // A language tag holds neither flag, and the length tells where the typed keys end.
    Text key(language.begin(), language.end());
    key += lettersMayBeBrackets ? U'\x1' : U'\x2';
    key += static_cast<char32_t>(typed.size());
    key += typed;
    key += reread;
    if (const auto* known = readings_.find(key)) {
        return *known;
    }
    return readings_.remember(std::move(key),
                              bestReading(typed, reread, target, lettersMayBeBrackets));
}

// The keys at either end may be punctuation: read as such in the target layout, or typed as
// such (kept as typed, which costs a little where the target reads a letter). Every split
// whose ends are letters and whose outer keys may open or close a word is scored.
std::optional<ExtendedEngine::Reading> ExtendedEngine::bestReading(
    std::u32string_view typed, std::u32string_view reread, const WordLikelihood& target,
    bool lettersMayBeBrackets) const {
    const std::size_t n = reread.size();
    const bool aligned = typed.size() == n;
    struct Outer {
        char32_t character;
        bool keptAsTyped;
    };
    const auto outer = [&](std::size_t i, bool (*allowed)(char32_t)) -> std::optional<Outer> {
        if (!isLetter(reread[i])) {
            // Brackets where a letter was typed are rare in prose: х and ъ stay letters.
            const bool bracketFromLetter = WordShape::isBracket(reread[i]) && aligned &&
                                           isLetter(typed[i]) && !lettersMayBeBrackets;
            return allowed(reread[i]) && !bracketFromLetter
                       ? std::optional<Outer>({reread[i], false})
                       : std::nullopt;
        }
        if (aligned && !isLetter(typed[i]) && allowed(typed[i])) {
            return Outer{typed[i], true};
        }
        return std::nullopt;
    };
    // Every split is listed first with the most its reading could score, so that the spell
    // checker is asked only about readings that could still beat the best one.
    struct Split {
        std::size_t lead;
        std::size_t trail;
        double cost;
        double bound;
    };
    std::array<Split, (kMaximumOuterKeys + 1) * (kMaximumOuterKeys + 1)> splits{};
    std::size_t count = 0;
    const auto cost = [&](std::size_t i, bool (*allowed)(char32_t)) {
        return outer(i, allowed)->keptAsTyped ? kTypedPunctuationLogOdds : 0.0;
    };
    for (std::size_t lead = 0; lead <= std::min(kMaximumOuterKeys, n); ++lead) {
        if (lead > 0 && !outer(lead - 1, WordShape::opensWord)) {
            break;
        }
        double leadCost = 0.0;
        for (std::size_t i = 0; i < lead; ++i) {
            leadCost += cost(i, WordShape::opensWord);
        }
        double trailCost = 0.0;
        for (std::size_t trail = 0; lead + trail < n && trail <= kMaximumOuterKeys; ++trail) {
            if (trail > 0) {
                if (!outer(n - trail, WordShape::closesWord)) {
                    break;
                }
                trailCost += cost(n - trail, WordShape::closesWord);
            }
            const auto core = reread.substr(lead, n - lead - trail);
            if (!isLetter(core.front()) || !isLetter(core.back())) {
                continue;
            }
            const double total = leadCost + trailCost;
            splits[count++] = {lead, trail, total, target.upperBoundLogProbability(core) - total};
        }
    }
    std::stable_sort(splits.begin(), splits.begin() + static_cast<std::ptrdiff_t>(count),
                     [](const Split& a, const Split& b) { return a.bound > b.bound; });
    std::optional<Reading> best;
    std::size_t bestOrder = 0;
    double bestCost = 0.0;
    for (std::size_t k = 0; k < count; ++k) {
        const Split& split = splits[k];
        if (best && split.bound < best->logProbability) {
            break;
        }
        const std::size_t order = split.lead * (kMaximumOuterKeys + 1) + split.trail;
        const auto core = reread.substr(split.lead, n - split.lead - split.trail);
        const auto assessment = target.assess(core);
        const double logProbability = assessment.logProbability - split.cost;
        // Ties go to the split with fewer keys taken as punctuation, in front first.
        if (best && (logProbability < best->logProbability ||
                     (logProbability == best->logProbability && order > bestOrder))) {
            continue;
        }
        Reading reading;
        reading.core = Text(core);
        reading.logProbability = logProbability;
        reading.isKnown = assessment.isKnown();
        for (std::size_t i = 0; i < split.lead; ++i) {
            reading.lead += outer(i, WordShape::opensWord)->character;
        }
        for (std::size_t i = n - split.trail; i < n; ++i) {
            reading.trail += outer(i, WordShape::closesWord)->character;
        }
        best = std::move(reading);
        bestOrder = order;
        bestCost = split.cost;
    }
    // A lone letter scores as a word whatever its split cost, so a key kept as typed beside
    // it must not break up a word the keys spell as letters ("e;" is "уж", not "у;").
    if (best && best->core.size() == 1 && bestCost > 0.0 && isLetter(reread.front()) &&
        isLetter(reread.back())) {
        if (const auto whole = target.assess(reread); whole.isKnown()) {
            best = Reading{{}, Text(reread), {}, whole.logProbability, true};
        }
    }
    return best;
}

// The word and its delimiter, letters alone, a word of the layout's language that names no
// letter.
bool ExtendedEngine::isPlainWordOf(std::string_view text, const KeyboardLayout& layout) const {
    Text word = scalars(text);
    while (!word.empty() && text::CharacterClass::isWhitespace(word.back())) {
        word.pop_back();
    }
    return !word.empty() && std::all_of(word.begin(), word.end(), isLetter) &&
           !namesALetter(word) && isKnownWord(word, layout);
}

// The typed keys the reading's word was read from, without those read as punctuation
// around it; the whole word as typed where characters no key types shift them.
std::u32string_view ExtendedEngine::alignedKeys(std::u32string_view typed, const Reading& reading) {
    const std::size_t keys = reading.lead.size() + reading.core.size() + reading.trail.size();
    return keys == typed.size() ? typed.substr(reading.lead.size(), reading.core.size()) : typed;
}

// A term typed in its own layout leaves the next key, the full stop of the other layout, as
// typed (`Windows/ D` for "Windows. В").
bool ExtendedEngine::endsSentenceInLayout(std::string_view context,
                                          const KeyboardLayout& sourceLayout,
                                          const KeyboardLayout& targetLayout) const {
    const auto mark = lastMark(context);
    if (!mark || isLetter(*mark) || text::CharacterClass::isNumber(*mark)) {
        return false;
    }
    CorrectionVerdict keys;
    keys.sourceLayout = sourceLayout;
    keys.targetLayout = targetLayout;
    const std::string reread = standard_->convertedDelimiter(utf8(TextView(&*mark, 1)), keys);
    return reread != utf8(TextView(&*mark, 1)) && endsSentence(reread);
}

double ExtendedEngine::historyAdjustment(std::string_view original, std::string_view corrected,
                                         std::string_view applicationBundleIdentifier) const {
    HistoryScoring* history = standard_->history();
    return history ? history->confidenceAdjustment(original, corrected, applicationBundleIdentifier)
                   : 0.0;
}

}  // namespace plovik
