#include "core/decision/OfflineLanguageDetector.h"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>

#include "core/text/CaseMapping.h"
#include "core/text/CharacterClass.h"
#include "core/text/Graphemes.h"
#include "core/text/Utf8.h"

namespace plovik {

namespace {

// Each list is one literal of lower-case entries separated by single spaces.
constexpr std::string_view kEnglishWordList =
    "a about after again all also an and any app are as at automatic back be because "
    "been before but by can change chat code correction could day do does done each "
    "email enable enabled english even every example fable file first for from get "
    "git go good great had has have he hello help her here him his how i if in input "
    "into is it its just keyboard know language last layout like link little local "
    "mac make manual may me meal menu message more most my need new no not now of on "
    "one only open or other our out over password people please point project "
    "research run same see send settings she short should slack so some space status "
    "still switch system take telegram text than that the their them then there these "
    "they thing think this time to today trust two undo up use user very want was way "
    "we well were what when where which who why will with word work would yes you "
    "your";

constexpr std::string_view kRussianWordList =
    "а автоматическая без будет быть в вам вас ваш ведь весь ввод временно вы где да "
    "даже два дела для до должен его ее если есть еще ещё же за здесь и из или им их "
    "как клавиатура когда который кто куда ли мак мы на надо назад настройки наш не "
    "него нет но новый ну о он она они оно от очень по под после привет приложение "
    "проект работа раз раскладка русский с сегодня сейчас система слово сообщение "
    "спасибо так также текст телеграм то только тут ты у уже хорошо хочу чем что "
    "чтобы это этот я";

constexpr std::string_view kEnglishPairList =
    "th he in er an re on at en nd ti es or te of ed is it al ar st to nt ng se ha as "
    "ou io le ve co me de hi ri ro ic ne ea ra ce li ch ll be ma si om ur";

constexpr std::string_view kRussianPairList =
    "ст но то на ен ов ни ра во ко ро по пр не ос та ал ор го от ре ер ан ли те де ка "
    "ла ве ол ет ти ил ар ел тр";

constexpr std::string_view kEnglishVowels = "aeiouy";
constexpr std::string_view kRussianVowels = "аеёиоуыэюя";
constexpr std::string_view kOtherVowels = "aeiouyáàâäãåąæéèêëęíìîïóòôöõøúùûüýÿœ";

constexpr double kScriptPart = 0.18;
constexpr double kVowelPart = 0.08;
constexpr double kMinimumVowelRatio = 0.15;
constexpr double kMaximumVowelRatio = 0.75;
constexpr double kPairPart = 0.16;
// Languages without built-in lists lean harder on the spell checker.
constexpr double kBuiltInDictionaryPart = 0.58;
constexpr double kOtherDictionaryPart = 0.68;

struct ScalarRange {
    char32_t first;
    char32_t last;
};

constexpr std::array<ScalarRange, 3> kCyrillic{
    {{0x0400, 0x052F}, {0x2DE0, 0x2DFF}, {0xA640, 0xA69F}}};
constexpr std::array<ScalarRange, 2> kGreek{{{0x0370, 0x03FF}, {0x1F00, 0x1FFF}}};
constexpr std::array<ScalarRange, 1> kHebrew{{{0x0590, 0x05FF}}};
constexpr std::array<ScalarRange, 3> kArabic{
    {{0x0600, 0x06FF}, {0x0750, 0x077F}, {0x08A0, 0x08FF}}};
constexpr std::array<ScalarRange, 1> kArmenian{{{0x0530, 0x058F}}};
constexpr std::array<ScalarRange, 2> kGeorgian{{{0x10A0, 0x10FF}, {0x2D00, 0x2D2F}}};
constexpr std::array<ScalarRange, 2> kLatin{{{0x0041, 0x024F}, {0x1E00, 0x1EFF}}};

std::span<const ScalarRange> scriptRanges(const std::optional<std::string>& base) {
    if (!base) {
        return kLatin;
    }
    static constexpr std::array<std::string_view, 9> kCyrillicLanguages{
        "ru", "uk", "be", "bg", "mk", "sr", "kk", "ky", "mn"};
    if (std::ranges::find(kCyrillicLanguages, *base) != kCyrillicLanguages.end()) {
        return kCyrillic;
    }
    if (*base == "el") {
        return kGreek;
    }
    if (*base == "he" || *base == "yi") {
        return kHebrew;
    }
    if (*base == "ar" || *base == "fa" || *base == "ur") {
        return kArabic;
    }
    if (*base == "hy") {
        return kArmenian;
    }
    if (*base == "ka") {
        return kGeorgian;
    }
    return kLatin;
}

OfflineLanguageDetector::WordSet entriesOf(std::string_view list) {
    OfflineLanguageDetector::WordSet entries;
    while (!list.empty()) {
        const auto space = list.find(' ');
        const auto entry = list.substr(0, space);
        if (!entry.empty()) {
            entries.emplace(entry);
        }
        list = space == std::string_view::npos ? std::string_view{} : list.substr(space + 1);
    }
    return entries;
}

OfflineLanguageDetector::WordSet charactersOf(std::string_view characters) {
    const auto split = text::Graphemes::split(characters);
    return {split.begin(), split.end()};
}

// The characters of the text without punctuation at either end.
std::vector<std::string> charactersTrimmingPunctuation(std::string_view text) {
    auto characters = text::Graphemes::split(text);
    const auto isPunctuation = [](const std::string& c) {
        return text::CharacterClass::isPunctuation(c);
    };
    const auto first = std::ranges::find_if_not(characters, isPunctuation);
    const auto last = std::find_if_not(characters.rbegin(), characters.rend(), isPunctuation);
    if (first == characters.end()) {
        return {};
    }
    return {first, last.base()};
}

bool isInScript(const std::vector<std::string>& letters, std::span<const ScalarRange> ranges) {
    return std::ranges::all_of(letters, [&](const std::string& letter) {
        return std::ranges::all_of(text::Utf8::scalars(letter), [&](char32_t scalar) {
            return std::ranges::any_of(ranges, [&](const ScalarRange& range) {
                return range.first <= scalar && scalar <= range.last;
            });
        });
    });
}

double vowelPart(const std::vector<std::string>& letters,
                 const OfflineLanguageDetector::WordSet& vowels) {
    const auto count = std::ranges::count_if(
        letters, [&](const std::string& letter) { return vowels.contains(letter); });
    const double ratio =
        static_cast<double>(count) / static_cast<double>(std::max<std::size_t>(1, letters.size()));
    return ratio >= kMinimumVowelRatio && ratio <= kMaximumVowelRatio ? kVowelPart : 0.0;
}

// Every neighbouring pair of characters counts, punctuation inside the word included.
double pairPart(const std::vector<std::string>& characters,
                const OfflineLanguageDetector::WordSet& pairs) {
    if (characters.size() < 2) {
        return 0.0;
    }
    std::size_t matched = 0;
    for (std::size_t i = 0; i + 1 < characters.size(); ++i) {
        if (pairs.contains(characters[i] + characters[i + 1])) {
            ++matched;
        }
    }
    return static_cast<double>(matched) * kPairPart / static_cast<double>(characters.size() - 1);
}

}  // namespace

struct OfflineLanguageDetector::LanguageData {
    const WordSet& words;
    const WordSet& pairs;
    const WordSet& vowels;
    double dictionaryPart;
};

OfflineLanguageDetector::OfflineLanguageDetector(SpellChecker& spellChecker, MainQueue& mainQueue)
    : spellChecker_(spellChecker),
      mainQueue_(mainQueue),
      englishWords_(entriesOf(kEnglishWordList)),
      russianWords_(entriesOf(kRussianWordList)),
      englishNGrams_(entriesOf(kEnglishPairList)),
      russianNGrams_(entriesOf(kRussianPairList)),
      englishVowels_(charactersOf(kEnglishVowels)),
      russianVowels_(charactersOf(kRussianVowels)),
      otherVowels_(charactersOf(kOtherVowels)) {}

LanguagePlausibility OfflineLanguageDetector::plausibility(std::string_view text,
                                                           const KeyboardLayout& layout) const {
    const auto characters = charactersTrimmingPunctuation(text::CaseMapping::lowercased(text));
    std::vector<std::string> letters;
    std::ranges::copy_if(characters, std::back_inserter(letters),
                         [](const std::string& c) { return text::CharacterClass::isLetter(c); });
    // Without letters the score is 0 whatever a dictionary says, so none is asked.
    if (letters.empty()) {
        return {};
    }
    std::string word;
    for (const auto& character : characters) {
        word += character;
    }
    const auto base = layout.baseLanguage();
    const LanguageData data = languageData(base);
    const bool isMatch = isKnownWord(word, data.words, layout);

    const double script = isInScript(letters, scriptRanges(base)) ? kScriptPart : 0.0;
    const double dictionary = isMatch ? data.dictionaryPart : 0.0;
    const double score =
        vowelPart(letters, data.vowels) + (script + dictionary) + pairPart(characters, data.pairs);
    return {std::min(1.0, score), isMatch};
}

OfflineLanguageDetector::LanguageData OfflineLanguageDetector::languageData(
    const std::optional<std::string>& base) const {
    if (base == "en") {
        return {englishWords_, englishNGrams_, englishVowels_, kBuiltInDictionaryPart};
    }
    if (base == "ru") {
        return {russianWords_, russianNGrams_, russianVowels_, kBuiltInDictionaryPart};
    }
    return {noEntries_, noEntries_, otherVowels_, kOtherDictionaryPart};
}

bool OfflineLanguageDetector::isKnownWord(const std::string& word, const WordSet& words,
                                          const KeyboardLayout& layout) const {
    if (words.contains(word)) {
        return true;
    }
    if (mainQueue_.isMainThread()) {
        return spellCheckerAccepts(word, layout);
    }
    bool accepted = false;
    mainQueue_.runSynchronously([&] { accepted = spellCheckerAccepts(word, layout); });
    return accepted;
}

bool OfflineLanguageDetector::spellCheckerAccepts(const std::string& word,
                                                  const KeyboardLayout& layout) const {
    const auto language = spellCheckerLanguage(layout);
    return language && spellChecker_.isSpelledCorrectly(word, *language);
}

std::optional<std::string> OfflineLanguageDetector::spellCheckerLanguage(
    const KeyboardLayout& layout) const {
    const auto available = spellChecker_.availableLanguages();
    for (const auto& language : layout.languages) {
        const std::string wanted = KeyboardLayout::normalizedLanguageTag(language);
        for (const auto& candidate : available) {
            if (KeyboardLayout::normalizedLanguageTag(candidate) == wanted) {
                return candidate;
            }
        }
        // Otherwise any regional variant of the same language, or the bare language.
        const auto base = KeyboardLayout::baseLanguageOf(language);
        if (!base) {
            continue;
        }
        for (const auto& candidate : available) {
            const std::string tag = KeyboardLayout::normalizedLanguageTag(candidate);
            if (tag.starts_with(*base + "-") || tag == *base) {
                return candidate;
            }
        }
    }
    return std::nullopt;
}

}  // namespace plovik
