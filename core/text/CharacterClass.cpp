#include "core/text/CharacterClass.h"

#include <unicode/uchar.h>

#include "core/text/Utf8.h"

namespace plovik::text {

namespace {

bool hasFirstScalar(std::string_view character, bool (*test)(char32_t)) {
    return !character.empty() && test(Utf8::firstScalar(character));
}

}  // namespace

bool CharacterClass::isWhitespace(char32_t scalar) {
    return u_hasBinaryProperty(static_cast<UChar32>(scalar), UCHAR_WHITE_SPACE);
}

bool CharacterClass::isPunctuation(char32_t scalar) {
    constexpr uint32_t kMask = U_GC_PC_MASK | U_GC_PD_MASK | U_GC_PS_MASK | U_GC_PE_MASK |
                               U_GC_PI_MASK | U_GC_PF_MASK | U_GC_PO_MASK;
    return (U_GET_GC_MASK(static_cast<UChar32>(scalar)) & kMask) != 0;
}

bool CharacterClass::isLetter(char32_t scalar) {
    return (U_GET_GC_MASK(static_cast<UChar32>(scalar)) & U_GC_L_MASK) != 0;
}

bool CharacterClass::isNumber(char32_t scalar) {
    return (U_GET_GC_MASK(static_cast<UChar32>(scalar)) & U_GC_N_MASK) != 0;
}

bool CharacterClass::isControl(char32_t scalar) {
    return (U_GET_GC_MASK(static_cast<UChar32>(scalar)) & (U_GC_CC_MASK | U_GC_CF_MASK)) != 0;
}

bool CharacterClass::isWhitespace(std::string_view character) {
    return hasFirstScalar(character, [](char32_t s) { return isWhitespace(s); });
}

bool CharacterClass::isPunctuation(std::string_view character) {
    return hasFirstScalar(character, [](char32_t s) { return isPunctuation(s); });
}

bool CharacterClass::isLetter(std::string_view character) {
    return hasFirstScalar(character, [](char32_t s) { return isLetter(s); });
}

bool CharacterClass::isNumber(std::string_view character) {
    return hasFirstScalar(character, [](char32_t s) { return isNumber(s); });
}

bool CharacterClass::isUppercase(std::string_view character) {
    return hasFirstScalar(character, [](char32_t s) {
        return static_cast<bool>(u_hasBinaryProperty(static_cast<UChar32>(s), UCHAR_UPPERCASE));
    });
}

bool CharacterClass::isLowercase(std::string_view character) {
    return hasFirstScalar(character, [](char32_t s) {
        return static_cast<bool>(u_hasBinaryProperty(static_cast<UChar32>(s), UCHAR_LOWERCASE));
    });
}

bool CharacterClass::isControl(std::string_view character) {
    if (character.empty()) {
        return false;
    }
    for (const char32_t scalar : Utf8::scalars(character)) {
        if (!isControl(scalar)) {
            return false;
        }
    }
    return true;
}

bool CharacterClass::isAscii(std::string_view text) {
    for (const char byte : text) {
        if (static_cast<unsigned char>(byte) >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace plovik::text
