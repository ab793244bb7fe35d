#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/SpellChecker.h"
#include "core/support/BoundedMemo.h"

namespace plovik {

// Asks the spell checker about a word once per language and remembers the answer, for runs
// over long text where the same words come back again and again. Only for a checker whose
// answers do not change while it is used (no words added to a personal dictionary).
class RememberingSpellChecker final : public SpellChecker {
  public:
    static constexpr std::size_t kDefaultCapacity = 1 << 16;

    explicit RememberingSpellChecker(SpellChecker& checker,
                                     std::size_t capacity = kDefaultCapacity);

    std::vector<std::string> availableLanguages() override;
    bool isSpelledCorrectly(std::string_view word, std::string_view language) override;

  private:
    SpellChecker& checker_;
    std::optional<std::vector<std::string>> languages_;
    BoundedMemo<std::string, bool> answers_;
};

}  // namespace plovik
