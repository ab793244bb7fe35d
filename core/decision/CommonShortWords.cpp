#include "core/decision/CommonShortWords.h"

#include <optional>
#include <set>

#include "core/layouts/KeyboardLayout.h"
#include "core/text/CaseMapping.h"
#include "core/text/CharacterClass.h"
#include "core/text/Graphemes.h"

namespace plovik {

namespace {

const std::set<std::string, std::less<>>& englishWords() {
    static const std::set<std::string, std::less<>> words{
        "a",  "i",  "am", "an", "as", "at", "be", "by", "do", "go", "he", "if", "in",
        "is", "it", "me", "my", "no", "of", "on", "or", "so", "to", "up", "us", "we"};
    return words;
}

const std::set<std::string, std::less<>>& russianWords() {
    static const std::set<std::string, std::less<>> words{
        "а",  "в",  "и",  "к",  "о",  "с",  "у",  "я",  "бы", "вы", "да", "до", "же", "за",  "из",
        "им", "их", "ли", "мы", "на", "не", "но", "ну", "он", "от", "по", "то", "ты", "еще", "ещё"};
    return words;
}

std::vector<std::string> trimmedOfPunctuation(std::vector<std::string> characters) {
    std::size_t begin = 0;
    std::size_t end = characters.size();
    while (begin < end && text::CharacterClass::isPunctuation(characters[begin])) {
        ++begin;
    }
    while (end > begin && text::CharacterClass::isPunctuation(characters[end - 1])) {
        --end;
    }
    return {characters.begin() + static_cast<std::ptrdiff_t>(begin),
            characters.begin() + static_cast<std::ptrdiff_t>(end)};
}

}  // namespace

bool CommonShortWords::contains(std::string_view text, const std::vector<std::string>& languages) {
    const auto characters =
        trimmedOfPunctuation(text::Graphemes::split(text::CaseMapping::lowercased(text)));
    if (characters.size() > 3) {
        return false;
    }
    const auto code =
        languages.empty() ? std::nullopt : KeyboardLayout::baseLanguageOf(languages.front());
    if (!code) {
        return false;
    }
    std::string word;
    for (const auto& character : characters) {
        word += character;
    }
    if (*code == "ru") {
        return russianWords().contains(word);
    }
    if (*code == "en") {
        return englishWords().contains(word);
    }
    return false;
}

}  // namespace plovik
