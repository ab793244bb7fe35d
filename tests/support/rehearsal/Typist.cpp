#include "tests/support/rehearsal/Typist.h"

#include <algorithm>
#include <stdexcept>

#include "core/text/Utf8.h"

namespace plovik {

namespace {

using std::chrono::microseconds;

}  // namespace

Typist::Typist(std::uint32_t seed, std::uint32_t shiftKeycode, Rhythm rhythm)
    : random_(seed), shiftKeycode_(shiftKeycode), rhythm_(rhythm) {}

microseconds Typist::between(std::chrono::milliseconds low, std::chrono::milliseconds high) {
    std::uniform_int_distribution<std::int64_t> pick(microseconds(low).count(),
                                                     microseconds(high).count());
    return microseconds(pick(random_));
}

std::vector<Typist::KeyMove> Typist::moves(const std::string& text, const KeyFinder& keyOf) {
    std::vector<Stroke> strokes;
    for (const char32_t character : text::Utf8::scalars(text)) {
        const auto stroke = keyOf(character);
        if (!stroke) {
            throw std::invalid_argument("no key types a character of \"" + text + "\"");
        }
        strokes.push_back(*stroke);
    }
    // When each key goes down.
    std::vector<microseconds> downs;
    microseconds at(0);
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        downs.push_back(at);
        at += between(rhythm_.fastest, rhythm_.slowest);
    }
    std::vector<KeyMove> result;
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        const Stroke& stroke = strokes[i];
        const bool lastOne = i + 1 == strokes.size();
        const microseconds next = lastOne ? downs[i] + microseconds(100000) : downs[i + 1];
        microseconds release = downs[i] + between(rhythm_.shortestHold, rhythm_.longestHold);
        // Nobody presses a key that is still down: it goes up before it goes down again.
        for (std::size_t j = i + 1; j < strokes.size() && downs[j] <= release; ++j) {
            if (strokes[j].keycode == stroke.keycode) {
                release = std::min(release, downs[j] - microseconds(1000));
            }
        }
        // A key that must not be shifted needs Shift up first.
        const bool shiftChangesNext = !lastOne && strokes[i + 1].shifted != stroke.shifted;
        if (stroke.shifted && shiftChangesNext) {
            release = std::min(release, next - microseconds(1000));
        }
        if (stroke.shifted && (i == 0 || !strokes[i - 1].shifted)) {
            // After the key before it, or that one would be shifted too.
            const microseconds lead =
                i == 0 ? microseconds(2000)
                       : std::min(microseconds(2000), (downs[i] - downs[i - 1]) / 2);
            result.push_back({downs[i] - lead, shiftKeycode_, true});
        }
        result.push_back({downs[i], stroke.keycode, true});
        result.push_back({release, stroke.keycode, false});
        if (stroke.shifted && (lastOne || shiftChangesNext)) {
            result.push_back({std::min(release, next - microseconds(500)), shiftKeycode_, false});
        }
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const KeyMove& a, const KeyMove& b) { return a.at < b.at; });
    // Nothing before the start.
    const microseconds first = result.empty() ? microseconds(0) : result.front().at;
    for (auto& move : result) {
        move.at -= std::min(first, microseconds(0));
    }
    return result;
}

}  // namespace plovik
