#include "platform/linux/XkbKeymapLibrary.h"

#include <cstdio>

namespace plovik {
namespace {

using File = std::unique_ptr<std::FILE, decltype(&std::fclose)>;

}  // namespace

XkbKeymapLibrary::XkbKeymapLibrary(std::string includePath, const std::string& composeFile)
    : context_(xkb_context_new(static_cast<xkb_context_flags>(XKB_CONTEXT_NO_DEFAULT_INCLUDES |
                                                              XKB_CONTEXT_NO_ENVIRONMENT_NAMES))),
      registry_(includePath) {
    if (!context_) {
        return;
    }
    xkb_context_set_log_level(context_.get(), XKB_LOG_LEVEL_CRITICAL);
    xkb_context_include_path_append(context_.get(), includePath.c_str());
    if (const File file(std::fopen(composeFile.c_str(), "r"), &std::fclose); file) {
        compose_.reset(xkb_compose_table_new_from_file(context_.get(), file.get(), "en_US.UTF-8",
                                                       XKB_COMPOSE_FORMAT_TEXT_V1,
                                                       XKB_COMPOSE_COMPILE_NO_FLAGS));
    }
}

std::shared_ptr<const KeyLayoutData> XkbKeymapLibrary::compile(const XkbLayoutName& name) const {
    if (!context_) {
        return nullptr;
    }
    const xkb_rule_names names{"evdev", "pc105", name.layout.c_str(), name.variant.c_str(), ""};
    const xkb::Keymap keymap(
        xkb_keymap_new_from_names(context_.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap) {
        return nullptr;
    }
    return std::make_shared<const XkbKeyLayoutData>(*keymap, compose_.get());
}

std::shared_ptr<const KeyLayoutData> XkbKeymapLibrary::keyLayoutData(
    std::string_view inputSourceId) {
    if (const auto cached = cache_.find(inputSourceId); cached != cache_.end()) {
        return cached->second;
    }
    const auto name = XkbLayoutName::fromId(inputSourceId);
    // Failures are kept too: a missing layout is not looked for again.
    auto data = name ? compile(*name) : nullptr;
    cache_.emplace(std::string(inputSourceId), data);
    return data;
}

std::optional<InputSource> XkbKeymapLibrary::inputSource(std::string_view inputSourceId) {
    auto data = keyLayoutData(inputSourceId);
    if (!data) {
        return std::nullopt;
    }
    InputSource source;
    source.id = std::string(inputSourceId);
    source.type = std::string(InputSource::kKeyboardLayoutType);
    source.keyLayoutData = std::move(data);
    if (const auto entry = registry_.find(*XkbLayoutName::fromId(inputSourceId))) {
        source.localizedName = entry->description;
        source.languages = entry->languages;
    }
    return source;
}

}  // namespace plovik
