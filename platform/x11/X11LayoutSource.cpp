#include "platform/x11/X11LayoutSource.h"

#include <algorithm>
#include <sstream>

#include "platform/linux/XkbLayoutName.h"
#include "platform/x11/XcbXkb.h"

namespace plovik {

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, separator)) {
        parts.push_back(part);
    }
    if (!text.empty() && text.back() == separator) {
        parts.emplace_back();
    }
    return parts;
}

// rules, model, layouts, variants, options: NUL-separated.
std::vector<std::string> groupIdsFromRulesNames(const std::string& rulesNames) {
    const auto fields = split(rulesNames, '\0');
    if (fields.size() < 3) {
        return {};
    }
    const auto layouts = split(fields[2], ',');
    const auto variants = fields.size() > 3 ? split(fields[3], ',') : std::vector<std::string>{};
    std::vector<std::string> ids;
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        if (layouts[i].empty()) {
            continue;
        }
        const std::string variant = i < variants.size() ? variants[i] : "";
        ids.push_back(XkbLayoutName{layouts[i], variant}.id());
    }
    return ids;
}

bool mentions(const std::optional<std::string>& value, const std::string& name) {
    return value && value->find(name) != std::string::npos;
}

}  // namespace

X11LayoutSource::X11LayoutSource(const X11Connection& connection, X11EventPump& pump,
                                 X11KeyboardState& keyboard, XkbKeymapLibrary& keymaps,
                                 std::function<std::optional<std::string>(const char*)> environment)
    : connection_(connection),
      keyboard_(keyboard),
      keymaps_(keymaps),
      environment_(std::move(environment)) {
    reload();
    lastGroup_ = lockedGroupFromServer().value_or(0);
    pump.addHandler([this](const xcb_generic_event_t& event) { handle(event); });
}

void X11LayoutSource::reload() {
    groupIds_ =
        groupIdsFromRulesNames(connection_.rootStringProperty("_XKB_RULES_NAMES").value_or(""));
}

void X11LayoutSource::handle(const xcb_generic_event_t& event) {
    switch (keyboard_.handle(event)) {
        case X11KeyboardState::Change::keymap: {
            // A key Plovik binds for its typing changes the map, not the layouts.
            const auto before = groupIds_;
            reload();
            if (groupIds_ != before || keyboard_.lockedGroup() != lastGroup_) {
                lastGroup_ = keyboard_.lockedGroup();
                changes_ = *changes_ + 1;
            }
            break;
        }
        case X11KeyboardState::Change::state:
            // While Plovik's keys have another group locked, the user has not chosen it.
            if (isOwnGroupKey_ && isOwnGroupKey_(keyboard_.lastStateChangeKeycode())) {
                ownGroupLocked_ = keyboard_.lockedGroup() != lastGroup_;
                break;
            }
            if (ownGroupLocked_) {
                break;
            }
            if (keyboard_.lockedGroup() != lastGroup_) {
                lastGroup_ = keyboard_.lockedGroup();
                changes_ = *changes_ + 1;
            }
            break;
        case X11KeyboardState::Change::none:
            break;
    }
}

std::optional<std::string> X11LayoutSource::inputMethodFramework() const {
    for (const char* name : {"GTK_IM_MODULE", "QT_IM_MODULE", "XMODIFIERS"}) {
        const auto value = environment_(name);
        for (const char* framework : {"ibus", "fcitx"}) {
            if (mentions(value, framework)) {
                return std::string(framework);
            }
        }
    }
    return std::nullopt;
}

std::vector<InputSource> X11LayoutSource::enabledKeyboardSources() const {
    std::vector<InputSource> sources;
    for (const auto& id : groupIds_) {
        if (auto source = keymaps_.inputSource(id)) {
            sources.push_back(std::move(*source));
        } else {
            InputSource unknown;
            unknown.id = id;
            unknown.localizedName = id;
            unknown.type = std::string(InputSource::kKeyboardLayoutType);
            sources.push_back(std::move(unknown));
        }
    }
    if (const auto framework = inputMethodFramework()) {
        InputSource method;
        method.id = "im:" + *framework;
        method.localizedName = *framework == "ibus" ? "IBus" : "Fcitx";
        method.type = std::string(kInputMethodType);
        sources.push_back(std::move(method));
    }
    return sources;
}

std::optional<InputSource> X11LayoutSource::installedSource(std::string_view id) const {
    return keymaps_.inputSource(id);
}

std::optional<std::uint32_t> X11LayoutSource::lockedGroupFromServer() const {
    xcb::Reply<xcb_xkb_get_state_reply_t> state(xcb_xkb_get_state_reply(
        connection_.get(),
        xcb_xkb_get_state(connection_.get(),
                          static_cast<xcb_xkb_device_spec_t>(connection_.coreKeyboard())),
        nullptr));
    if (!state) {
        return std::nullopt;
    }
    return state->lockedGroup;
}

std::optional<std::string> X11LayoutSource::currentSourceId() const {
    // Asked of the server: a lock sent a moment ago may not have come back as an event.
    const auto group = lockedGroupFromServer();
    if (!group || *group >= groupIds_.size()) {
        return std::nullopt;
    }
    return groupIds_[*group];
}

bool X11LayoutSource::select(const InputSource& source) {
    const auto found = std::find(groupIds_.begin(), groupIds_.end(), source.id.value_or(""));
    if (found == groupIds_.end()) {
        return false;
    }
    const auto group = static_cast<std::uint8_t>(found - groupIds_.begin());
    xcb_xkb_latch_lock_state(connection_.get(),
                             static_cast<xcb_xkb_device_spec_t>(connection_.coreKeyboard()), 0, 0,
                             1, group, 0, 0, 0);
    connection_.sync();
    return lockedGroupFromServer() == group;
}

Subscription X11LayoutSource::observeSelectionChanges(std::function<void()> handler) {
    auto isFirst = std::make_shared<bool>(true);
    return changes_.subscribe([handler = std::move(handler), isFirst](const std::uint64_t&) {
        if (std::exchange(*isFirst, false)) {
            return;
        }
        handler();
    });
}

}  // namespace plovik
