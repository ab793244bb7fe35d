#include "platform/gnome/GnomeShellCurrentSource.h"

#include <algorithm>
#include <thread>

namespace plovik {

namespace {

constexpr std::chrono::milliseconds kPollInterval{20};
// An extension turned on a moment ago takes its bus name a little later.
constexpr std::chrono::milliseconds kAnswerGrace{1000};

}  // namespace

GnomeShellCurrentSource::GnomeShellCurrentSource(GnomeShellBridge& bridge,
                                                 std::chrono::milliseconds listTimeout)
    : bridge_(bridge), listTimeout_(listTimeout) {}

std::vector<GnomeInputSource> GnomeShellCurrentSource::shownSources() const {
    std::vector<GnomeInputSource> shown;
    for (const auto& source : bridge_.sources()) {
        shown.push_back({source.type, source.id});
    }
    return shown;
}

std::optional<GnomeInputSource> GnomeShellCurrentSource::current() {
    bridge_.refresh();
    const auto shown = shownSources();
    const auto index = bridge_.currentSource();
    if (!index || *index >= shown.size()) {
        return std::nullopt;
    }
    return shown[*index];
}

bool GnomeShellCurrentSource::shows(const std::vector<GnomeInputSource>& shown,
                                    const std::vector<GnomeInputSource>& written) {
    auto next = written.begin();
    for (const auto& source : shown) {
        next = std::find(next, written.end(), source);
        if (next == written.end()) {
            return false;
        }
        ++next;
    }
    return true;
}

bool GnomeShellCurrentSource::activate(const GnomeInputSource& source,
                                       const std::vector<GnomeInputSource>& sources) {
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + listTimeout_;
    while (true) {
        bridge_.refresh();
        const auto shown = shownSources();
        // The Shell always lists a source: none means it is busy taking up the list, or
        // the extension is not there.
        if (shown.empty() && std::chrono::steady_clock::now() >= start + kAnswerGrace &&
            !bridge_.isRunning()) {
            return false;
        }
        if (!shown.empty() && shows(shown, sources)) {
            const auto at = std::find(shown.begin(), shown.end(), source);
            return at != shown.end() &&
                   bridge_.activate(static_cast<std::size_t>(at - shown.begin()));
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

}  // namespace plovik
