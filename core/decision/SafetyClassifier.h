#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/decision/SafetyAssessment.h"

namespace plovik {

// Refuses tokens that must never be rewritten behind the user's back: short ones, web and
// e-mail addresses, paths, shell input, code, numbers and mixed-script words. The first rule
// that matches decides.
class SafetyClassifier {
  public:
    explicit SafetyClassifier(int minimumLength);

    // `context` is the text typed before the token.
    SafetyAssessment assess(std::string_view token, std::string_view context) const;

  private:
    using Characters = std::vector<std::string>;

    bool isUrl(std::string_view lowered) const;
    bool isFilePath(std::string_view lowered) const;
    bool isMostlyNumbers(const Characters& characters) const;
    bool isShellInput(const std::string& lowered, std::string_view context) const;
    bool isCodeLike(std::string_view trimmed) const;
    bool isMixedAlphabet(const Characters& characters) const;

    int minimumLength_;
    std::unordered_set<std::string> shellCommands_;
};

}  // namespace plovik
