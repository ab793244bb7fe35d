#include "platform/simulated/SimulatedLayoutSource.h"

#include <algorithm>
#include <memory>

namespace plovik {

bool SimulatedLayoutSource::addKeyboardLayout(std::string_view id, bool isEnabled) {
    auto source = keymaps_.inputSource(id);
    if (!source) {
        return false;
    }
    addSource(std::move(*source), isEnabled);
    return true;
}

void SimulatedLayoutSource::addSource(InputSource source, bool isEnabled) {
    installed_.push_back({std::move(source), isEnabled});
}

void SimulatedLayoutSource::setEnabled(std::string_view id, bool isEnabled) {
    for (auto& entry : installed_) {
        if (entry.source.id == id) {
            entry.isEnabled = isEnabled;
        }
    }
}

void SimulatedLayoutSource::removeAll() {
    installed_.clear();
}

void SimulatedLayoutSource::setCurrentSourceId(std::optional<std::string> id) {
    currentId_ = std::move(id);
    selectionChanges_ = *selectionChanges_ + 1;
}

std::vector<InputSource> SimulatedLayoutSource::enabledKeyboardSources() const {
    std::vector<InputSource> sources;
    for (const auto& entry : installed_) {
        if (entry.isEnabled) {
            sources.push_back(entry.source);
        }
    }
    return sources;
}

std::optional<InputSource> SimulatedLayoutSource::installedSource(std::string_view id) const {
    const auto found = std::find_if(installed_.begin(), installed_.end(),
                                    [&](const Installed& entry) { return entry.source.id == id; });
    if (found == installed_.end()) {
        return std::nullopt;
    }
    return found->source;
}

bool SimulatedLayoutSource::select(const InputSource& source) {
    selectionRequests_.push_back(source.id.value_or(""));
    if (selectionFails_ || !source.id || !installedSource(*source.id)) {
        return false;
    }
    setCurrentSourceId(source.id);
    return true;
}

Subscription SimulatedLayoutSource::observeSelectionChanges(std::function<void()> handler) {
    auto isFirst = std::make_shared<bool>(true);
    return selectionChanges_.subscribe(
        [handler = std::move(handler), isFirst](const std::uint64_t&) {
            if (std::exchange(*isFirst, false)) {
                return;
            }
            handler();
        });
}

}  // namespace plovik
