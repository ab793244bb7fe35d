#pragma once

#include <string_view>

namespace plovik::text {

// Unicode classes of one user-perceived character, judged by its first scalar
// unless said otherwise. Empty text belongs to no class.
class CharacterClass {
  public:
    static bool isWhitespace(std::string_view character);   // White_Space
    static bool isPunctuation(std::string_view character);  // Pc Pd Ps Pe Pi Pf Po
    static bool isLetter(std::string_view character);       // L*
    static bool isNumber(std::string_view character);       // N*
    static bool isUppercase(std::string_view character);    // Uppercase property
    static bool isLowercase(std::string_view character);    // Lowercase property
    // Every scalar is Cc or Cf.
    static bool isControl(std::string_view character);
    // Every scalar is below U+0080.
    static bool isAscii(std::string_view text);

    static bool isWhitespace(char32_t scalar);
    static bool isPunctuation(char32_t scalar);
    static bool isLetter(char32_t scalar);
    static bool isNumber(char32_t scalar);
    static bool isControl(char32_t scalar);
};

}  // namespace plovik::text
