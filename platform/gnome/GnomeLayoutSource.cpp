#include "platform/gnome/GnomeLayoutSource.h"

#include "framework/ibus/wire/EngineName.h"
#include "platform/linux/XkbLayoutName.h"

namespace plovik {

std::string GnomeLayoutSource::idOf(const GnomeShellBridge::Source& source) {
    if (source.type == "ibus") {
        if (const auto engine = ibus::EngineName::parse(source.id)) {
            return XkbLayoutName{engine->layout, engine->variant}.id();
        }
    }
    return "gnome:" + source.type + ":" + source.id;
}

GnomeLayoutSource::GnomeLayoutSource(GnomeShellBridge& bridge, XkbKeymapLibrary& keymaps,
                                     MainQueue& mainQueue, std::function<void()> settle)
    : bridge_(bridge), keymaps_(keymaps), mainQueue_(mainQueue), settle_(std::move(settle)) {}

std::vector<InputSource> GnomeLayoutSource::enabledKeyboardSources() const {
    std::vector<InputSource> sources;
    for (const auto& source : bridge_.sources()) {
        const std::string id = idOf(source);
        if (auto layout = keymaps_.inputSource(id)) {
            sources.push_back(std::move(*layout));
        } else {
            InputSource unseen;
            unseen.id = id;
            unseen.localizedName = source.id;
            unseen.type = kUnseenType;
            sources.push_back(std::move(unseen));
        }
    }
    return sources;
}

std::optional<InputSource> GnomeLayoutSource::installedSource(std::string_view id) const {
    return keymaps_.inputSource(id);
}

std::optional<std::string> GnomeLayoutSource::currentSourceId() const {
    const auto index = bridge_.currentSource();
    const auto& sources = bridge_.sources();
    if (!index || *index >= sources.size()) {
        return std::nullopt;
    }
    return idOf(sources[*index]);
}

bool GnomeLayoutSource::select(const InputSource& source) {
    const auto& sources = bridge_.sources();
    for (std::size_t index = 0; index < sources.size(); ++index) {
        if (source.id && idOf(sources[index]) == *source.id) {
            // The correction that asks for the switch hands its withheld Return back
            // right after; the switch waits for that.
            bridge_.expectCurrent(index);
            mainQueue_.post([this, index] {
                if (settle_) {
                    settle_();
                }
                bridge_.activate(index);
            });
            return true;
        }
    }
    return false;
}

Subscription GnomeLayoutSource::observeSelectionChanges(std::function<void()> handler) {
    return bridge_.observeSources(std::move(handler));
}

}  // namespace plovik
