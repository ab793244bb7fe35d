#include "core/layouts/EnglishRussianLayoutMapper.h"

#include <array>
#include <stdexcept>
#include <utility>

#include "core/text/CaseMapping.h"
#include "core/text/CharacterClass.h"
#include "core/text/Graphemes.h"

namespace plovik {
namespace {

using Pair = std::pair<std::string_view, std::string_view>;

// One physical key each, unshifted, in keyboard order.
constexpr std::array<Pair, 34> kBaseKeys{{
    {"`", "ё"}, {"q", "й"}, {"w", "ц"}, {"e", "у"}, {"r", "к"}, {"t", "е"}, {"y", "н"},
    {"u", "г"}, {"i", "ш"}, {"o", "щ"}, {"p", "з"}, {"[", "х"}, {"]", "ъ"}, {"a", "ф"},
    {"s", "ы"}, {"d", "в"}, {"f", "а"}, {"g", "п"}, {"h", "р"}, {"j", "о"}, {"k", "л"},
    {"l", "д"}, {";", "ж"}, {"'", "э"}, {"z", "я"}, {"x", "ч"}, {"c", "с"}, {"v", "м"},
    {"b", "и"}, {"n", "т"}, {"m", "ь"}, {",", "б"}, {".", "ю"}, {"/", "."},
}};

// Shifted punctuation keys whose Russian side is not simply the upper case.
constexpr std::array<Pair, 8> kShiftedKeys{{
    {"~", "Ё"},
    {"{", "Х"},
    {"}", "Ъ"},
    {":", "Ж"},
    {"\"", "Э"},
    {"<", "Б"},
    {">", "Ю"},
    {"?", ","},
}};

// The tables are fixed: a repeated key is a mistake in them, not in the input.
void insertUnique(EnglishRussianLayoutMapper::CharacterMap& map, std::string key,
                  std::string value) {
    if (!map.emplace(std::move(key), std::move(value)).second) {
        throw std::logic_error("layout character table repeats a key");
    }
}

}  // namespace

EnglishRussianLayoutMapper::EnglishRussianLayoutMapper() {
    for (const auto& [us, ru] : kBaseKeys) {
        insertUnique(englishToRussian_, std::string(us), std::string(ru));
    }
    for (const auto& [us, ru] : kBaseKeys) {
        if (text::CharacterClass::isLetter(us) && text::CharacterClass::isLetter(ru)) {
            englishToRussian_.insert_or_assign(text::CaseMapping::uppercased(us),
                                               text::CaseMapping::uppercased(ru));
        }
    }
    for (const auto& [us, ru] : kShiftedKeys) {
        englishToRussian_.insert_or_assign(std::string(us), std::string(ru));
    }
    for (const auto& [us, ru] : englishToRussian_) {
        insertUnique(russianToEnglish_, ru, us);
    }
}

std::string EnglishRussianLayoutMapper::convert(std::string_view text, const KeyboardLayout& from,
                                                const KeyboardLayout& to) const {
    if (from == to) {
        return std::string(text);
    }
    const auto primary = from.primaryLanguage();
    const bool fromRussian = primary && primary->starts_with("ru");
    const CharacterMap& table = fromRussian ? russianToEnglish_ : englishToRussian_;
    std::string result;
    result.reserve(text.size() * 2);
    for (const auto& character : text::Graphemes::split(text)) {
        const auto found = table.find(character);
        result += found == table.end() ? character : found->second;
    }
    return result;
}

std::optional<KeyboardLayout> EnglishRussianLayoutMapper::likelyLayout(
    std::string_view text) const {
    bool anyAscii = false;
    bool anyOther = false;
    for (const auto& character : text::Graphemes::split(text)) {
        if (!text::CharacterClass::isLetter(character)) {
            continue;
        }
        (text::CharacterClass::isAscii(character) ? anyAscii : anyOther) = true;
    }
    if (anyAscii == anyOther) {
        return std::nullopt;  // no letters, or both kinds
    }
    return anyAscii ? KeyboardLayout::english() : KeyboardLayout::russian();
}

}  // namespace plovik
