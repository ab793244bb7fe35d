#include "platform/fcitx5/Fcitx5LayoutSource.h"

#include <algorithm>

#include "platform/linux/XkbLayoutName.h"

namespace plovik {

namespace {

constexpr std::string_view kKeyboardPrefix = "keyboard-";

}  // namespace

Fcitx5LayoutSource::Fcitx5LayoutSource(Fcitx5ModuleClient& module, XkbKeymapLibrary& keymaps,
                                       MainQueue& mainQueue)
    : module_(module), keymaps_(keymaps), mainQueue_(mainQueue) {}

std::string Fcitx5LayoutSource::sourceId(std::string_view inputMethod) {
    if (!inputMethod.starts_with(kKeyboardPrefix)) {
        return std::string(inputMethod);
    }
    const std::string_view rest = inputMethod.substr(kKeyboardPrefix.size());
    // XKB layout names have no dash; a variant may ("us-alt-intl").
    const auto dash = rest.find('-');
    XkbLayoutName name{std::string(rest.substr(0, dash)), dash == std::string_view::npos
                                                              ? std::string()
                                                              : std::string(rest.substr(dash + 1))};
    return name.id();
}

std::vector<std::string> Fcitx5LayoutSource::ids() const {
    std::vector<std::string> ids;
    for (const auto& method : module_.inputMethods().enabled) {
        ids.push_back(sourceId(method));
    }
    return ids;
}

std::vector<InputSource> Fcitx5LayoutSource::enabledKeyboardSources() const {
    std::vector<InputSource> sources;
    for (const auto& method : module_.inputMethods().enabled) {
        const std::string id = sourceId(method);
        if (auto source = keymaps_.inputSource(id)) {
            sources.push_back(std::move(*source));
            continue;
        }
        InputSource other;
        other.id = id;
        other.localizedName = method;
        other.type = kInputMethodType;
        sources.push_back(std::move(other));
    }
    return sources;
}

std::optional<InputSource> Fcitx5LayoutSource::installedSource(std::string_view id) const {
    return keymaps_.inputSource(id);
}

std::optional<std::string> Fcitx5LayoutSource::currentSourceId() const {
    const auto current = module_.inputMethods().current;
    if (current.empty()) {
        return std::nullopt;
    }
    return sourceId(current);
}

std::optional<std::string> Fcitx5LayoutSource::inputMethodOf(std::string_view sourceId) const {
    const auto methods = module_.inputMethods().enabled;
    const auto found = std::find_if(methods.begin(), methods.end(), [&](const std::string& method) {
        return Fcitx5LayoutSource::sourceId(method) == sourceId;
    });
    if (found == methods.end()) {
        return std::nullopt;
    }
    return *found;
}

bool Fcitx5LayoutSource::select(const InputSource& source) {
    const auto method = source.id ? inputMethodOf(*source.id) : std::nullopt;
    if (!method || !module_.send(module::SelectInputMethod{*method}) || !module_.sync()) {
        return false;
    }
    return module_.inputMethods().current == *method;
}

bool Fcitx5LayoutSource::selectWithNextEdit(const std::optional<InputSource>& source) {
    return module_.selectWithNextEdit(source && source->id ? inputMethodOf(*source->id)
                                                           : std::nullopt);
}

Subscription Fcitx5LayoutSource::observeSelectionChanges(std::function<void()> handler) {
    return changes_.subscribe([handler = std::move(handler), first = true](std::uint64_t) mutable {
        if (!std::exchange(first, false)) {
            handler();
        }
    });
}

void Fcitx5LayoutSource::inputMethodsChanged() {
    mainQueue_.post([this, alive = std::weak_ptr<bool>(alive_)] {
        if (alive.expired()) {
            return;
        }
        auto methods = module_.inputMethods();
        if (methods != last_) {
            last_ = std::move(methods);
            changes_ = changes_.get() + 1;
        }
    });
}

}  // namespace plovik
