#include "platform/gnome/GnomeShortcutProbe.h"

#include <gio/gio.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include "platform/linux/GlibHandles.h"

namespace plovik {

namespace {

constexpr std::array kSchemas{GnomeShortcutProbe::kWindowManagerSchema,
                              "org.gnome.shell.keybindings", "org.gnome.mutter.keybindings",
                              "org.gnome.mutter.wayland.keybindings",
                              "org.gnome.settings-daemon.plugins.media-keys"};

constexpr std::array<std::pair<std::string_view, Modifier>, 7> kModifierNames{{
    {"shift", Modifier::shift},
    {"control", Modifier::control},
    {"ctrl", Modifier::control},
    {"primary", Modifier::control},
    {"alt", Modifier::alt},
    {"super", Modifier::super},
    {"meta", Modifier::alt},
}};

// Keys a shortcut of Plovik's may use, by their X key symbol names.
std::optional<Key> keyNamed(std::string_view name) {
    static constexpr std::string_view kLetters = "qwertyuiopasdfghjklzxcvbnm";
    static constexpr std::array<Key, 26> kLetterKeys{
        Key::q, Key::w, Key::e, Key::r, Key::t, Key::y, Key::u, Key::i, Key::o,
        Key::p, Key::a, Key::s, Key::d, Key::f, Key::g, Key::h, Key::j, Key::k,
        Key::l, Key::z, Key::x, Key::c, Key::v, Key::b, Key::n, Key::m};
    if (name.size() == 1 && std::isalpha(static_cast<unsigned char>(name[0]))) {
        const auto at = kLetters.find(static_cast<char>(std::tolower(name[0])));
        return kLetterKeys.at(at);
    }
    if (name.size() == 1 && name[0] >= '1' && name[0] <= '9') {
        return static_cast<Key>(evdevCode(Key::digit1) + (name[0] - '1'));
    }
    static constexpr std::array<Key, 12> kFunctionKeys{Key::f1, Key::f2,  Key::f3,  Key::f4,
                                                       Key::f5, Key::f6,  Key::f7,  Key::f8,
                                                       Key::f9, Key::f10, Key::f11, Key::f12};
    if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F' &&
        name.find_first_not_of("0123456789", 1) == std::string_view::npos) {
        const int number = std::stoi(std::string(name.substr(1)));
        if (number >= 1 && number <= 12) {
            return kFunctionKeys.at(static_cast<std::size_t>(number - 1));
        }
    }
    static constexpr std::array<std::pair<std::string_view, Key>, 8> kNamed{{
        {"space", Key::space},
        {"Return", Key::enter},
        {"Tab", Key::tab},
        {"Escape", Key::escape},
        {"0", Key::digit0},
        {"grave", Key::grave},
        {"BackSpace", Key::backspace},
        {"KP_Enter", Key::keypadEnter},
    }};
    for (const auto& [known, key] : kNamed) {
        if (name == known) {
            return key;
        }
    }
    return std::nullopt;
}

std::string lowered(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

using Settings = glib::Object<GSettings>;

Settings settingsFor(const char* schemaId) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema =
        source ? g_settings_schema_source_lookup(source, schemaId, TRUE) : nullptr;
    if (!schema) {
        return Settings(nullptr);
    }
    g_settings_schema_unref(schema);
    return Settings(g_settings_new(schemaId));
}

std::vector<std::string> accelerators(GSettings* settings, const char* key) {
    const glib::Variant value(g_settings_get_value(settings, key));
    std::vector<std::string> result;
    if (g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING_ARRAY)) {
        const glib::StringList list(g_variant_dup_strv(value.get(), nullptr));
        for (gchar** entry = list.get(); *entry; ++entry) {
            result.emplace_back(*entry);
        }
    } else if (g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING)) {
        result.emplace_back(g_variant_get_string(value.get(), nullptr));
    }
    return result;
}

}  // namespace

std::optional<GnomeShortcutProbe::Combination> GnomeShortcutProbe::parseAccelerator(
    std::string_view accelerator) {
    Modifiers modifiers;
    while (accelerator.starts_with('<')) {
        const auto close = accelerator.find('>');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string name = lowered(accelerator.substr(1, close - 1));
        const auto known = std::find_if(kModifierNames.begin(), kModifierNames.end(),
                                        [&](const auto& entry) { return entry.first == name; });
        if (known == kModifierNames.end()) {
            return std::nullopt;
        }
        modifiers |= known->second;
        accelerator.remove_prefix(close + 1);
    }
    const auto key = keyNamed(accelerator);
    if (!key) {
        return std::nullopt;
    }
    return Combination{*key, modifiers};
}

std::optional<GnomeShortcutProbe::Binding> GnomeShortcutProbe::bindingOf(
    Key key, Modifiers modifiers) const {
    const Combination wanted{key, modifiers};
    for (const char* schemaId : kSchemas) {
        const Settings settings = settingsFor(schemaId);
        if (!settings) {
            continue;
        }
        GSettingsSchema* schema = nullptr;
        g_object_get(settings.get(), "settings-schema", &schema, nullptr);
        const glib::StringList keys(schema ? g_settings_schema_list_keys(schema) : nullptr);
        if (schema) {
            g_settings_schema_unref(schema);
        }
        for (gchar** name = keys.get(); name && *name; ++name) {
            for (const auto& accelerator : accelerators(settings.get(), *name)) {
                if (parseAccelerator(accelerator) == wanted) {
                    return Binding{schemaId, *name};
                }
            }
        }
    }
    return std::nullopt;
}

bool GnomeShortcutProbe::isTaken(Key key, Modifiers modifiers) {
    return bindingOf(key, modifiers).has_value();
}

bool GnomeShortcutProbe::freeFromWindowMenu(Key key, Modifiers modifiers) {
    const Settings settings = settingsFor(kWindowManagerSchema);
    if (!settings) {
        return false;
    }
    const Combination freed{key, modifiers};
    std::vector<std::string> kept;
    for (const auto& accelerator : accelerators(settings.get(), kWindowMenuKey)) {
        if (parseAccelerator(accelerator) != freed) {
            kept.push_back(accelerator);
        }
    }
    std::vector<const gchar*> list;
    for (const auto& accelerator : kept) {
        list.push_back(accelerator.c_str());
    }
    list.push_back(nullptr);
    const bool written = g_settings_set_strv(settings.get(), kWindowMenuKey, list.data());
    g_settings_sync();
    return written;
}

}  // namespace plovik
