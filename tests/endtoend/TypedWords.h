#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace plovik::testing {

// The same keys as three texts: as typed, as the simulated application wrote them, and as
// a real field shows them, compared line by line. Each whitespace-separated word of the
// field must be the typed word or the simulated application's, with the same whitespace
// after it.
class TypedWords {
  public:
    TypedWords(const std::string& typed, const std::string& simulated, const std::string& field)
        : typed_(lines(typed)), simulated_(lines(simulated)), field_(lines(field)) {}

    // Empty when there is none.
    std::string firstDifference() const {
        if (typed_.size() != simulated_.size()) {
            return "the simulated application wrote another number of lines";
        }
        if (field_.size() != typed_.size()) {
            return "the field has " + std::to_string(field_.size()) + " lines, not " +
                   std::to_string(typed_.size());
        }
        for (std::size_t line = 0; line < typed_.size(); ++line) {
            if (!garbledIn(line).empty()) {
                return "line " + std::to_string(line) + " typed \"" + joined(typed_[line]) +
                       "\", simulated \"" + joined(simulated_[line]) + "\", field \"" +
                       joined(field_[line]) + "\"";
            }
        }
        return {};
    }

    bool sameLines() const { return field_.size() == typed_.size(); }

    // Words that are neither as typed nor as the simulated application wrote them.
    std::size_t garbledCount() const {
        std::size_t count = 0;
        for (std::size_t line = 0; line < typed_.size() && line < field_.size(); ++line) {
            count += garbledIn(line).size();
        }
        return count;
    }

    std::size_t correctionsExpected() const {
        std::size_t count = 0;
        for (std::size_t line = 0; line < typed_.size() && line < simulated_.size(); ++line) {
            for (std::size_t i = 0; i < typed_[line].size() && i < simulated_[line].size(); ++i) {
                count += simulated_[line][i] != typed_[line][i] ? 1 : 0;
            }
        }
        return count;
    }

    std::size_t correctionsMade() const {
        std::size_t count = 0;
        for (std::size_t line = 0; line < typed_.size() && line < field_.size(); ++line) {
            const auto& field = field_[line];
            if (field.size() != typed_[line].size() ||
                simulated_[line].size() != typed_[line].size()) {
                continue;
            }
            for (std::size_t i = 0; i < field.size(); ++i) {
                count += simulated_[line][i] != typed_[line][i] && field[i] == simulated_[line][i]
                             ? 1
                             : 0;
            }
        }
        return count;
    }

  private:
    using Words = std::vector<std::string>;

    bool matches(std::size_t line, std::size_t typedIndex, std::size_t fieldIndex) const {
        const std::string& word = field_[line][fieldIndex];
        return word == typed_[line][typedIndex] ||
               (line < simulated_.size() && typedIndex < simulated_[line].size() &&
                word == simulated_[line][typedIndex]);
    }

    // Typed word indices the field does not show as typed or corrected: the words between
    // the longest agreeing start and the longest agreeing end, so that a lost or added
    // space costs the words it touches, not the rest of the line.
    std::vector<std::size_t> garbledIn(std::size_t line) const {
        const std::size_t typed = typed_[line].size();
        const std::size_t field = field_[line].size();
        std::size_t start = 0;
        while (start < typed && start < field && matches(line, start, start)) {
            ++start;
        }
        std::size_t end = 0;
        while (end < typed - start && end < field - std::min(start, field) &&
               matches(line, typed - 1 - end, field - 1 - end)) {
            ++end;
        }
        std::vector<std::size_t> garbled;
        for (std::size_t i = start; i < typed - end; ++i) {
            garbled.push_back(i);
        }
        if (garbled.empty() && typed != field) {
            // Words added to the field: the one after them counts.
            garbled.push_back(std::min(start, typed - 1));
        }
        return garbled;
    }

    // Lines of words, each word with the whitespace that follows it, so that a lost or
    // added space shows as a changed word.
    static std::vector<Words> lines(const std::string& text) {
        std::vector<Words> result(1);
        std::string word;
        bool inSpace = false;
        for (const char c : text) {
            const bool space = c == ' ' || c == '\n' || c == '\t';
            if (!space && inSpace) {
                result.back().push_back(word);
                word.clear();
            }
            inSpace = space;
            word += c;
            if (c == '\n') {
                result.back().push_back(word);
                word.clear();
                result.emplace_back();
                inSpace = false;
            }
        }
        if (!word.empty()) {
            result.back().push_back(word);
        }
        if (result.back().empty()) {
            result.pop_back();
        }
        return result;
    }

    static std::string joined(const Words& words) {
        std::string text;
        for (const auto& word : words) {
            text += word;
        }
        return text;
    }

    std::vector<Words> typed_;
    std::vector<Words> simulated_;
    std::vector<Words> field_;
};

}  // namespace plovik::testing
