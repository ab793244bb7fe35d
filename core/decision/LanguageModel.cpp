#include "core/decision/LanguageModel.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

#include "core/text/Utf8.h"

namespace plovik {

namespace {

constexpr char32_t kWordStart = U'^';
constexpr char32_t kWordEnd = U'$';
// Interpolation weights of the longer context; the rest backs off to the shorter one.
constexpr double kTrigramWeight = 0.85;
constexpr double kBigramWeight = 0.9;
// Added to every letter count, so that an unseen letter is unlikely but possible.
constexpr double kUnseenLetterCount = 0.5;
// Letters the counts may lack (other scripts, punctuation) share the unseen count too.
constexpr double kUnseenLetterKinds = 100.0;
constexpr int kBitsPerLetter = 21;
// Below this share of what follows a letter a pair is noise, and more text keeps noise below
// it; it marks few Russian words typed right (0.03%) and half of English typed under Russian.
constexpr double kUnwrittenPairShare = 1e-4;
// A word written in capitals at least this share of the times it was seen is an acronym
// (GNU, DNS); headings and emphasis leave other words a far smaller share.
constexpr double kCapitalsShare = 0.5;

std::uint64_t pack(char32_t a) {
    return a;
}
std::uint64_t pack(char32_t a, char32_t b) {
    return (std::uint64_t{a} << kBitsPerLetter) | b;
}
std::uint64_t pack(char32_t a, char32_t b, char32_t c) {
    return (std::uint64_t{a} << (2 * kBitsPerLetter)) | (std::uint64_t{b} << kBitsPerLetter) | c;
}

struct Line {
    std::string_view key;
    std::uint64_t count = 0;
    // The times the word was written in capitals; word lists may add it as a third column.
    std::uint64_t capitals = 0;
};

bool parseCount(std::string_view number, std::uint64_t& count) {
    const auto [stop, status] =
        std::from_chars(number.data(), number.data() + number.size(), count);
    return status == std::errc() && stop == number.data() + number.size();
}

template <typename Visit>
void forEachLine(std::string_view text, Visit visit, std::uint64_t& total) {
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos || tab == 0) {
            continue;
        }
        Line parsed{line.substr(0, tab)};
        std::string_view number = line.substr(tab + 1);
        const std::size_t second = number.find('\t');
        if (second != std::string_view::npos &&
            !parseCount(number.substr(second + 1), parsed.capitals)) {
            continue;
        }
        if (!parseCount(number.substr(0, std::min(second, number.size())), parsed.count)) {
            continue;
        }
        if (parsed.key == "#total") {
            total = parsed.count;
        } else if (parsed.count > 0 && text::Utf8::isValid(parsed.key)) {
            visit(parsed);
        }
    }
}

std::optional<std::string> readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::ostringstream contents;
    contents << file.rdbuf();
    return file.bad() ? std::nullopt : std::optional(contents.str());
}

std::uint32_t saturated(std::uint64_t count) {
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(count, UINT32_MAX));
}

void sortAndMerge(std::vector<std::pair<std::uint64_t, std::uint32_t>>& counts) {
    std::sort(counts.begin(), counts.end());
    std::vector<std::pair<std::uint64_t, std::uint32_t>> merged;
    for (const auto& entry : counts) {
        if (!merged.empty() && merged.back().first == entry.first) {
            merged.back().second = saturated(std::uint64_t{merged.back().second} + entry.second);
        } else {
            merged.push_back(entry);
        }
    }
    counts = std::move(merged);
}

std::uint32_t lookUp(const std::vector<std::pair<std::uint64_t, std::uint32_t>>& counts,
                     std::uint64_t key) {
    const auto found = std::lower_bound(counts.begin(), counts.end(),
                                        std::pair<std::uint64_t, std::uint32_t>{key, 0});
    return found != counts.end() && found->first == key ? found->second : 0;
}

}  // namespace

std::optional<LanguageModel> LanguageModel::load(const std::filesystem::path& wordsFile,
                                                 const std::filesystem::path& lettersFile) {
    const auto words = readFile(wordsFile);
    const auto letters = readFile(lettersFile);
    if (!words || !letters) {
        return std::nullopt;
    }
    LanguageModel model = fromText(*words, *letters);
    if (model.wordEntries_.empty() || model.letterCounts_.empty()) {
        return std::nullopt;
    }
    return model;
}

LanguageModel LanguageModel::fromText(std::string_view words, std::string_view letters) {
    LanguageModel model;
    model.addWords(words);
    model.addLetters(letters);
    model.finish();
    return model;
}

void LanguageModel::addWords(std::string_view text) {
    std::vector<Line> lines;
    std::uint64_t listed = 0;
    forEachLine(
        text,
        [&](const Line& line) {
            lines.push_back(line);
            listed += line.count;
        },
        runningWords_);
    runningWords_ = std::max(runningWords_, listed);
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line& a, const Line& b) { return a.key < b.key; });
    lines.erase(std::unique(lines.begin(), lines.end(),
                            [](const Line& a, const Line& b) { return a.key == b.key; }),
                lines.end());
    for (const Line& line : lines) {
        const double share = static_cast<double>(line.count) / static_cast<double>(runningWords_);
        const bool capitals =
            static_cast<double>(line.capitals) >= kCapitalsShare * static_cast<double>(line.count);
        wordEntries_.push_back({static_cast<std::uint32_t>(wordText_.size()),
                                static_cast<std::uint32_t>(line.key.size()),
                                static_cast<float>(std::log(share)), capitals});
        wordText_ += line.key;
    }
    wordText_.shrink_to_fit();
    wordEntries_.shrink_to_fit();
}

void LanguageModel::addLetters(std::string_view text) {
    std::uint64_t declared = 0;
    forEachLine(
        text,
        [&](const Line& line) {
            const auto scalars = text::Utf8::scalars(line.key);
            const std::uint32_t count = saturated(line.count);
            if (scalars.size() == 1) {
                letterCounts_.emplace_back(pack(scalars[0]), count);
                letterTotal_ += line.count;
                ++alphabetSize_;
            } else if (scalars.size() == 2) {
                letterCounts_.emplace_back(pack(scalars[0], scalars[1]), count);
                contextCounts_.emplace_back(pack(scalars[0]), count);
                if (scalars[1] != kWordEnd) {
                    contextCounts_.emplace_back(pack(scalars[0], scalars[1]), count);
                }
                if (scalars[0] == kWordStart) {
                    // Every word starts after two start marks.
                    contextCounts_.emplace_back(pack(kWordStart, kWordStart), count);
                }
            } else if (scalars.size() == 3) {
                letterCounts_.emplace_back(pack(scalars[0], scalars[1], scalars[2]), count);
            }
        },
        declared);
}

void LanguageModel::finish() {
    sortAndMerge(letterCounts_);
    sortAndMerge(contextCounts_);
    letterCounts_.shrink_to_fit();
    contextCounts_.shrink_to_fit();
}

std::optional<double> LanguageModel::wordLogProbability(std::string_view lowered) const {
    const auto found = findWord(lowered);
    return found ? std::optional<double>(found->logProbability) : std::nullopt;
}

std::optional<LanguageModel::ListedWord> LanguageModel::findWord(std::string_view lowered) const {
    const auto found = std::lower_bound(wordEntries_.begin(), wordEntries_.end(), lowered,
                                        [this](const WordEntry& entry, auto key) {
                                            return std::string_view(wordText_).substr(
                                                       entry.offset, entry.length) < key;
                                        });
    if (found == wordEntries_.end() ||
        std::string_view(wordText_).substr(found->offset, found->length) != lowered) {
        return std::nullopt;
    }
    return ListedWord{static_cast<std::size_t>(found - wordEntries_.begin()),
                      found->logProbability};
}

bool LanguageModel::isWrittenInCapitals(std::string_view lowered) const {
    const auto found = findWord(lowered);
    return found && wordEntries_[found->index].writtenInCapitals;
}

double LanguageModel::spellingLogProbability(std::u32string_view lowered) const {
    double total = 0.0;
    char32_t a = kWordStart;
    char32_t b = kWordStart;
    for (const char32_t c : lowered) {
        total += std::log(letterProbability(a, b, c));
        a = b;
        b = c;
    }
    return total + std::log(letterProbability(a, b, kWordEnd));
}

bool LanguageModel::usesLetter(char32_t lowered) const {
    return count(pack(lowered)) > 0;
}

bool LanguageModel::writesEveryPair(std::u32string_view lowered) const {
    // A lone letter is a word, an initial or a letter named: the one-letter rules judge it.
    if (lowered.size() < 2) {
        return true;
    }
    char32_t previous = kWordStart;
    for (const char32_t c : lowered) {
        if (!writesPair(previous, c)) {
            return false;
        }
        previous = c;
    }
    return writesPair(previous, kWordEnd);
}

bool LanguageModel::writesPair(char32_t a, char32_t b) const {
    std::uint64_t pair = count(pack(a, b));
    // Letters named alone ("the letter ы") would make any letter a word's edge.
    if (a == kWordStart && b != kWordEnd) {
        pair -= std::min<std::uint64_t>(pair, count(pack(kWordStart, b, kWordEnd)));
    } else if (b == kWordEnd && a != kWordStart) {
        pair -= std::min<std::uint64_t>(pair, count(pack(kWordStart, a, kWordEnd)));
    }
    return pair > 0 && static_cast<double>(pair) >=
                           kUnwrittenPairShare * static_cast<double>(contextCount(pack(a)));
}

std::size_t LanguageModel::footprint() const {
    return wordText_.capacity() + wordEntries_.capacity() * sizeof(WordEntry) +
           (letterCounts_.capacity() + contextCounts_.capacity()) * sizeof(Counts::value_type);
}

std::uint32_t LanguageModel::count(std::uint64_t key) const {
    return lookUp(letterCounts_, key);
}

std::uint32_t LanguageModel::contextCount(std::uint64_t key) const {
    return lookUp(contextCounts_, key);
}

double LanguageModel::letterProbability(char32_t a, char32_t b, char32_t c) const {
    const double unigram =
        (count(pack(c)) + kUnseenLetterCount) /
        (static_cast<double>(letterTotal_) +
         kUnseenLetterCount * (static_cast<double>(alphabetSize_) + kUnseenLetterKinds));
    double bigram = unigram;
    if (const std::uint32_t context = contextCount(pack(b)); context > 0) {
        bigram = kBigramWeight * count(pack(b, c)) / context + (1.0 - kBigramWeight) * unigram;
    }
    if (const std::uint32_t context = contextCount(pack(a, b)); context > 0) {
        return kTrigramWeight * count(pack(a, b, c)) / context + (1.0 - kTrigramWeight) * bigram;
    }
    return bigram;
}

}  // namespace plovik
