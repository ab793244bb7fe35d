#include "core/decision/SafetyClassifier.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "core/text/CaseMapping.h"
#include "core/text/CharacterClass.h"
#include "core/text/Graphemes.h"
#include "core/text/Utf8.h"

namespace plovik {

namespace {

constexpr std::array<std::string_view, 4> kUrlSchemes{"http", "https", "ftp", "mailto"};
constexpr std::array<std::string_view, 4> kPathPrefixes{"/", "~/", "./", "../"};
constexpr std::array<std::string_view, 4> kCodeSequences{"_", "::", "->", "=>"};
constexpr std::u32string_view kCodeCharacters = U"{}[]()=<>$|`\\";
constexpr double kMostlyNumbersRatio = 0.6;

// The needles below are ASCII, so a byte search in UTF-8 never matches inside a character.
bool contains(std::string_view text, std::string_view needle) {
    return text.find(needle) != std::string_view::npos;
}

std::string joined(const std::vector<std::string>& characters) {
    std::string text;
    for (const auto& character : characters) {
        text += character;
    }
    return text;
}

std::vector<std::string> charactersTrimmingWhitespace(std::string_view token) {
    auto characters = text::Graphemes::split(token);
    const auto isWhitespace = [](const std::string& c) {
        return text::CharacterClass::isWhitespace(c);
    };
    const auto first = std::ranges::find_if_not(characters, isWhitespace);
    if (first == characters.end()) {
        return {};
    }
    const auto last = std::find_if_not(characters.rbegin(), characters.rend(), isWhitespace);
    return {first, last.base()};
}

// A character that is a grapheme of its own whatever stands next to it (CR LF aside) and
// lower-cases without looking at its neighbours: no combining mark, joiner or Greek letter.
bool standsAlone(char32_t c) {
    return c < 0x300 || (c >= 0x400 && c <= 0x482) || (c >= 0x48A && c <= 0x52F) ||
           (c >= 0x2010 && c <= 0x2027) || (c >= 0x2030 && c <= 0x205E);
}

// The last word read character by character, the same as by graphemes for text made only of
// characters that stand alone; absent for other text.
std::optional<std::string> lastWordOfPlainText(std::string_view context) {
    const auto scalars = text::Utf8::scalars(context);
    if (!std::ranges::all_of(scalars, standsAlone)) {
        return std::nullopt;
    }
    const auto isWhitespace = [](char32_t c) { return text::CharacterClass::isWhitespace(c); };
    const auto end = std::find_if_not(scalars.rbegin(), scalars.rend(), isWhitespace);
    const auto begin = std::find_if(end, scalars.rend(), isWhitespace);
    return text::CaseMapping::lowercased(text::Utf8::encode({begin.base(), end.base()}));
}

// The last whitespace-separated word of the lower-cased context, "" when there is none.
std::string lastWord(std::string_view context) {
    // Splitting the whole context into graphemes costs more than the rest of the checks.
    if (auto plain = lastWordOfPlainText(context)) {
        return std::move(*plain);
    }
    const auto characters = text::Graphemes::split(text::CaseMapping::lowercased(context));
    const auto isWhitespace = [](const std::string& c) {
        return text::CharacterClass::isWhitespace(c);
    };
    const auto end = std::find_if_not(characters.rbegin(), characters.rend(), isWhitespace);
    const auto begin = std::find_if(end, characters.rend(), isWhitespace);
    return joined({begin.base(), end.base()});
}

}  // namespace

SafetyClassifier::SafetyClassifier(int minimumLength)
    : minimumLength_(minimumLength), shellCommands_{"bash", "cd",     "chmod", "chown",
                                                    "curl", "docker", "git",   "grep",
                                                    "ls",   "make",   "npm",   "npx",
                                                    "pod",  "python", "rm",    "ruby",
                                                    "ssh",  "sudo",   "swift", "xcodebuild",
                                                    "yarn"} {}

SafetyAssessment SafetyClassifier::assess(std::string_view token, std::string_view context) const {
    const auto characters = charactersTrimmingWhitespace(token);
    if (static_cast<long long>(characters.size()) < minimumLength_) {
        return SafetyAssessment::excluded(SafetyExclusion::tooShort);
    }
    const std::string trimmed = joined(characters);
    const std::string lowered = text::CaseMapping::lowercased(trimmed);
    if (isUrl(lowered)) {
        return SafetyAssessment::excluded(SafetyExclusion::url);
    }
    if (contains(lowered, "@")) {
        return SafetyAssessment::excluded(SafetyExclusion::email);
    }
    if (isFilePath(lowered)) {
        return SafetyAssessment::excluded(SafetyExclusion::filePath);
    }
    if (isMostlyNumbers(characters)) {
        return SafetyAssessment::excluded(SafetyExclusion::mostlyNumbers);
    }
    if (isShellInput(lowered, context)) {
        return SafetyAssessment::excluded(SafetyExclusion::shellCommand);
    }
    if (isCodeLike(trimmed)) {
        return SafetyAssessment::excluded(SafetyExclusion::codeLike);
    }
    if (isMixedAlphabet(characters)) {
        return SafetyAssessment::excluded(SafetyExclusion::mixedAlphabet);
    }
    return SafetyAssessment::allowed();
}

bool SafetyClassifier::isUrl(std::string_view lowered) const {
    // Only the whole token counts as a bare scheme: "httpx" is a word.
    return contains(lowered, "://") || lowered.starts_with("www.") ||
           std::ranges::find(kUrlSchemes, lowered) != kUrlSchemes.end();
}

bool SafetyClassifier::isFilePath(std::string_view lowered) const {
    return std::ranges::any_of(
               kPathPrefixes,
               [&](std::string_view prefix) { return lowered.starts_with(prefix); }) ||
           contains(lowered, "\\") || (contains(lowered, "/") && !contains(lowered, " "));
}

bool SafetyClassifier::isMostlyNumbers(const Characters& characters) const {
    std::size_t letters = 0;
    std::size_t numbers = 0;
    for (const auto& character : characters) {
        if (text::CharacterClass::isNumber(character)) {
            ++numbers;
        } else if (text::CharacterClass::isLetter(character)) {
            ++letters;
        }
    }
    if (letters + numbers == 0) {
        return true;
    }
    return static_cast<double>(numbers) / static_cast<double>(letters + numbers) >=
           kMostlyNumbersRatio;
}

bool SafetyClassifier::isShellInput(const std::string& lowered, std::string_view context) const {
    return lowered.starts_with("$") || lowered.starts_with("--") ||
           shellCommands_.contains(lastWord(context)) || shellCommands_.contains(lowered);
}

bool SafetyClassifier::isCodeLike(std::string_view trimmed) const {
    return std::ranges::any_of(kCodeSequences,
                               [&](std::string_view code) { return contains(trimmed, code); }) ||
           std::ranges::any_of(text::Utf8::scalars(trimmed), [](char32_t scalar) {
               return kCodeCharacters.find(scalar) != std::u32string_view::npos;
           });
}

bool SafetyClassifier::isMixedAlphabet(const Characters& characters) const {
    std::size_t letters = 0;
    std::size_t asciiLetters = 0;
    for (const auto& character : characters) {
        if (text::CharacterClass::isLetter(character)) {
            ++letters;
            asciiLetters += text::CharacterClass::isAscii(character) ? 1 : 0;
        }
    }
    return asciiLetters > 0 && asciiLetters < letters;
}

}  // namespace plovik
