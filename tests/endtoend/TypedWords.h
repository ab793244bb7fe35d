#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace plovik::testing {

// The same keys as three texts: as typed, as the simulated application wrote them, and as
// a real field shows them. Each whitespace-separated word of the field must be the typed
// word or the simulated application's, with the same whitespace between them.
class TypedWords {
  public:
    TypedWords(const std::string& typed, const std::string& simulated, const std::string& field)
        : typed_(split(typed)), simulated_(split(simulated)), field_(split(field)) {}

    bool everyWordAsTypedOrCorrected() const { return firstDifference().empty(); }

    // Empty when there is none.
    std::string firstDifference() const {
        if (typed_.size() != simulated_.size()) {
            return "the simulated application wrote another number of words";
        }
        for (std::size_t i = 0; i < typed_.size(); ++i) {
            if (i >= field_.size()) {
                return "the field ends before \"" + typed_[i] + "\" (word " + std::to_string(i) +
                       "): " + around(i);
            }
            if (field_[i] != typed_[i] && field_[i] != simulated_[i]) {
                return "word " + std::to_string(i) + " typed \"" + typed_[i] + "\", simulated \"" +
                       simulated_[i] + "\", field \"" + field_[i] + "\": " + around(i);
            }
        }
        return field_.size() > typed_.size() ? "the field has more: " + around(typed_.size())
                                             : std::string();
    }

    std::size_t correctionsExpected() const {
        std::size_t count = 0;
        for (std::size_t i = 0; i < typed_.size() && i < simulated_.size(); ++i) {
            count += simulated_[i] != typed_[i] ? 1 : 0;
        }
        return count;
    }

    std::size_t correctionsMade() const {
        std::size_t count = 0;
        for (std::size_t i = 0; i < typed_.size() && i < simulated_.size() && i < field_.size();
             ++i) {
            count += simulated_[i] != typed_[i] && field_[i] == simulated_[i] ? 1 : 0;
        }
        return count;
    }

  private:
    // Words, each with the whitespace that follows it, so that a lost or added space or
    // line break shows as a changed word.
    static std::vector<std::string> split(const std::string& text) {
        std::vector<std::string> words;
        std::string word;
        bool inSpace = false;
        for (const char c : text) {
            const bool space = c == ' ' || c == '\n' || c == '\t';
            if (!space && inSpace) {
                words.push_back(word);
                word.clear();
            }
            inSpace = space;
            word += c;
        }
        if (!word.empty()) {
            words.push_back(word);
        }
        return words;
    }

    std::string around(std::size_t index) const {
        std::string text;
        for (std::size_t i = index >= 3 ? index - 3 : 0; i < index + 3 && i < field_.size(); ++i) {
            text += field_[i];
        }
        return "\"" + text + "\"";
    }

    std::vector<std::string> typed_;
    std::vector<std::string> simulated_;
    std::vector<std::string> field_;
};

}  // namespace plovik::testing
