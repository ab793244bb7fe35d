#include "platform/virtualsession/RemoteDesktopKeyboard.h"

#include <gio/gio.h>

#include <array>
#include <string_view>
#include <thread>
#include <utility>
#include <variant>

namespace plovik {

namespace {

constexpr const char* kService = "org.gnome.Mutter.RemoteDesktop";
constexpr const char* kSessionInterface = "org.gnome.Mutter.RemoteDesktop.Session";
constexpr gint kTimeout = 5000;

bool call(const BusConnection& bus, const std::string& path, const char* interface,
          const char* method, GVariant* parameters, GVariant** reply = nullptr,
          const char* replyType = nullptr) {
    GError* error = nullptr;
    GVariant* result =
        g_dbus_connection_call_sync(bus.get(), kService, path.c_str(), interface, method,
                                    parameters, replyType ? G_VARIANT_TYPE(replyType) : nullptr,
                                    G_DBUS_CALL_FLAGS_NONE, kTimeout, nullptr, &error);
    if (error) {
        g_error_free(error);
        return false;
    }
    if (reply) {
        *reply = result;
    } else if (result) {
        g_variant_unref(result);
    }
    return true;
}

}  // namespace

std::variant<std::unique_ptr<RemoteDesktopKeyboard>, std::string> RemoteDesktopKeyboard::open(
    const BusConnection& bus) {
    GVariant* reply = nullptr;
    if (!call(bus, "/org/gnome/Mutter/RemoteDesktop", kService, "CreateSession", nullptr, &reply,
              "(o)")) {
        return std::string("Mutter offers no remote-desktop session");
    }
    const gchar* path = nullptr;
    g_variant_get(reply, "(&o)", &path);
    std::string session(path);
    g_variant_unref(reply);
    if (!call(bus, session, kSessionInterface, "Start", nullptr)) {
        return std::string("the remote-desktop session did not start");
    }
    std::unique_ptr<RemoteDesktopKeyboard> keyboard(new RemoteDesktopKeyboard(bus, session));
    // The first key after the start makes the keyboard and is lost to the application.
    keyboard->tap(Key::leftShift);
    return keyboard;
}

RemoteDesktopKeyboard::RemoteDesktopKeyboard(const BusConnection& bus, std::string session)
    : bus_(bus), session_(std::move(session)) {}

RemoteDesktopKeyboard::~RemoteDesktopKeyboard() {
    call(bus_, session_, kSessionInterface, "Stop", nullptr);
}

bool RemoteDesktopKeyboard::press(Key key, bool down) {
    return call(bus_, session_, kSessionInterface, "NotifyKeyboardKeycode",
                g_variant_new("(ub)", static_cast<guint32>(evdevCode(key)), down ? TRUE : FALSE));
}

bool RemoteDesktopKeyboard::tap(Key key, Modifiers modifiers) {
    static constexpr std::array<std::pair<Modifier, Key>, 4> kHeld{{
        {Modifier::control, Key::leftControl},
        {Modifier::alt, Key::leftAlt},
        {Modifier::super, Key::leftSuper},
        {Modifier::shift, Key::leftShift},
    }};
    // Modifiers are held a moment around the key, as fingers do: GNOME hands keys to the
    // input method and on to the application later, with the modifiers of that moment.
    constexpr auto kModifierLead = std::chrono::milliseconds(15);
    bool done = true;
    for (const auto& [modifier, held] : kHeld) {
        if (modifiers.has(modifier)) {
            done = press(held, true) && done;
            std::this_thread::sleep_for(kModifierLead);
        }
    }
    done = press(key, true) && press(key, false) && done;
    for (auto it = kHeld.rbegin(); it != kHeld.rend(); ++it) {
        if (modifiers.has(it->first)) {
            std::this_thread::sleep_for(kModifierLead);
            done = press(it->second, false) && done;
        }
    }
    return done;
}

std::optional<std::pair<Key, bool>> RemoteDesktopKeyboard::usKeyFor(char character) {
    static constexpr std::array<std::string_view, 4> kRows{"qwertyuiop[]", "asdfghjkl;'`",
                                                           "zxcvbnm,./", "1234567890-="};
    static constexpr std::array<std::string_view, 4> kShiftedRows{"QWERTYUIOP{}", "ASDFGHJKL:\"~",
                                                                  "ZXCVBNM<>?", "!@#$%^&*()_+"};
    static constexpr std::array<Key, 4> kFirst{Key::q, Key::a, Key::z, Key::digit1};
    for (std::size_t row = 0; row < kRows.size(); ++row) {
        for (const bool shifted : {false, true}) {
            const auto at = (shifted ? kShiftedRows : kRows)[row].find(character);
            if (at != std::string_view::npos) {
                return std::pair{static_cast<Key>(evdevCode(kFirst[row]) + at), shifted};
            }
        }
    }
    switch (character) {
        case ' ':
            return std::pair{Key::space, false};
        case '\n':
            return std::pair{Key::enter, false};
        case '\\':
            return std::pair{Key::backslash, false};
        case '|':
            return std::pair{Key::backslash, true};
        case '\b':
            return std::pair{Key::backspace, false};
        default:
            return std::nullopt;
    }
}

bool RemoteDesktopKeyboard::type(const std::string& text, std::chrono::milliseconds interval) {
    for (const char character : text) {
        const auto key = usKeyFor(character);
        if (!key || !tap(key->first, key->second ? Modifiers(Modifier::shift) : Modifiers())) {
            return false;
        }
        std::this_thread::sleep_for(interval);
    }
    return true;
}

}  // namespace plovik
