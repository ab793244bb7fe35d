#include "tests/support/rehearsal/DesktopRehearsal.h"

#include <stdlib.h>
#include <unicode/utf8.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>
#include <variant>

#include "core/settings/SettingsStore.h"
#include "core/support/SystemClock.h"
#include "core/text/LocalizedComparison.h"
#include "platform/linux/FolderSettingsFiles.h"
#include "platform/x11/XcbXkb.h"

namespace plovik {

namespace {

constexpr std::uint32_t kReturnKeycode = 36;

std::filesystem::path freshFolder() {
    std::string pattern = std::filesystem::temp_directory_path() / "plovik-rehearsal-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a folder for the rehearsal");
    }
    return pattern;
}

}  // namespace

EnabledApplication DesktopRehearsal::enabled(const std::string& id, const std::string& name,
                                             bool switchesLayout) {
    return EnabledApplication(id, name, std::nullopt, std::nullopt, true, true, switchesLayout,
                              true, 0.9);
}

DesktopRehearsal::DesktopRehearsal(const VirtualSession& session, Options options)
    : session_(session), options_(std::move(options)), home_(freshFolder()) {
    const std::string display = session.display();
    ChildProcessOptions quiet;
    quiet.environment = session.environment();
    ChildProcess setxkbmap("setxkbmap", {"-display", display, "-layout", options_.layouts}, quiet);
    if (setxkbmap.waitForExit(std::chrono::seconds(10)) != 0) {
        throw std::runtime_error("setxkbmap could not set the layouts " + options_.layouts);
    }
    auto opened = X11Connection::open(display.c_str());
    if (auto* error = std::get_if<std::string>(&opened)) {
        throw std::runtime_error(*error);
    }
    connection_ = std::move(std::get<0>(opened));
    keyboard_ = std::make_unique<X11KeyboardState>(*connection_, std::string());
    // The keys go to the session's keyboard, looked up in the session's key map.
    if (session.keyboardDisplay() != display) {
        auto keys = X11Connection::open(session.keyboardDisplay().c_str());
        if (auto* error = std::get_if<std::string>(&keys)) {
            throw std::runtime_error(*error);
        }
        keyboardConnection_ = std::move(std::get<0>(keys));
    }
    user_ = std::make_unique<XTestKeyTyper>(
        keyboardConnection_ ? *keyboardConnection_ : *connection_, *keyboard_, userKeys_);

    std::filesystem::create_directories(home_ / "config" / "plovik");
    // The fixture windows as installed applications, so that Qt's is known by its id.
    std::filesystem::create_directories(home_ / "data" / "applications");
    std::ofstream(home_ / "data" / "applications" / "org.plovik.FixtureGtk.desktop")
        << "[Desktop Entry]\nType=Application\nName=GTK Fixture\nExec=plovik-fixture-gtk\n";
    std::ofstream(home_ / "data" / "applications" / "org.plovik.FixtureQt.desktop")
        << "[Desktop Entry]\nType=Application\nName=Qt Fixture\nExec=plovik-fixture-qt\n"
           "StartupWMClass=plovik-fixture-qt\n";
    if (!options_.writeSettings) {
        return;
    }
    FolderSettingsFiles defaults(home_ / "config" / "plovik");
    SystemClock clock;
    SettingsStore settings(defaults, SettingsStore::kStandardStorageKey, clock,
                           text::LocalizedComparison("en_US"));
    for (const auto& application : options_.applications) {
        settings.addApplication(application);
    }
    settings.update([this](AppSettings& values) {
        values.hasCompletedOnboarding = true;
        if (options_.adjustSettings) {
            options_.adjustSettings(values);
        }
    });
}

DesktopRehearsal::~DesktopRehearsal() {
    stopPlovik();
    user_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(home_, ignored);
}

bool DesktopRehearsal::startPlovik(std::chrono::milliseconds timeout) {
    launchPlovik();
    return waitForLog("plovik: correcting on", timeout) &&
           waitForLog("input monitoring granted", timeout);
}

void DesktopRehearsal::launchPlovik() {
    plovik_.emplace(options_.plovik.string(), options_.arguments, plovikOptions("plovik.log"));
}

ChildProcess DesktopRehearsal::launchAnotherPlovik(const std::vector<std::string>& arguments,
                                                   const std::string& logName) {
    return ChildProcess(options_.plovik.string(), arguments, plovikOptions(logName));
}

ChildProcessOptions DesktopRehearsal::plovikOptions(const std::string& logName) {
    ChildProcessOptions options;
    // A runtime folder of its own keeps it from finding the user's running copy.
    std::filesystem::create_directories(home_ / "runtime");
    std::filesystem::permissions(home_ / "runtime", std::filesystem::perms::owner_all);
    std::vector<std::string> own{"XDG_CONFIG_HOME=" + (home_ / "config").string(),
                                 "XDG_DATA_HOME=" + (home_ / "data").string(),
                                 "XDG_RUNTIME_DIR=" + (home_ / "runtime").string(),
                                 "HOME=" + home_.string()};
    own.insert(own.end(), options_.environment.begin(), options_.environment.end());
    // Ours replace what the session passed on: the first of a name is the one read.
    for (const auto& entry : session_.environment()) {
        const auto name = entry.substr(0, entry.find('=') + 1);
        if (std::none_of(own.begin(), own.end(),
                         [&](const std::string& mine) { return mine.starts_with(name); })) {
            options.environment.push_back(entry);
        }
    }
    options.environment.insert(options.environment.end(), own.begin(), own.end());
    options.logFile = (home_ / logName).string();
    return options;
}

void DesktopRehearsal::stopPlovik() {
    if (plovik_) {
        plovik_->stop();
        plovik_.reset();
    }
}

std::string DesktopRehearsal::log() const {
    std::ifstream file(home_ / "plovik.log");
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : std::string();
}

int DesktopRehearsal::occurrences(const std::string& haystack, const std::string& needle) {
    int count = 0;
    for (auto at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + needle.size())) {
        ++count;
    }
    return count;
}

bool DesktopRehearsal::waitForLog(const std::string& text, std::chrono::milliseconds timeout,
                                  int count) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (occurrences(log(), text) < count) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void DesktopRehearsal::typeKeys(const std::string& text, std::uint32_t group,
                                std::chrono::milliseconds interval) {
    keyboard_->reload();
    if (interval.count() == 0) {
        if (!user_->pressKeysOf(text, group)) {
            throw std::runtime_error("no key types \"" + text + "\"");
        }
        return;
    }
    // One character at a time, as fast as a quick typist.
    for (std::size_t i = 0; i < text.size();) {
        std::size_t length = 1;
        while (i + length < text.size() &&
               (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80) {
            ++length;
        }
        if (!user_->pressKeysOf(text.substr(i, length), group)) {
            throw std::runtime_error("no key types \"" + text.substr(i, length) + "\"");
        }
        std::this_thread::sleep_for(interval);
        i += length;
    }
}

void DesktopRehearsal::typeLikeAPerson(const std::string& text, std::uint32_t group,
                                       std::uint32_t seed, Typist::Rhythm rhythm) {
    keyboard_->reload();
    const auto shift = user_->shiftKeycode();
    if (!shift) {
        throw std::runtime_error("the keyboard has no Shift key");
    }
    Typist typist(seed, *shift, rhythm);
    const auto moves = typist.moves(text, [&](char32_t character) -> std::optional<Typist::Stroke> {
        if (character == U'\n') {
            return Typist::Stroke{kReturnKeycode, false};
        }
        const auto key = user_->keyOf(character, group);
        return key ? std::optional(Typist::Stroke{key->first, key->second}) : std::nullopt;
    });
    const auto start = std::chrono::steady_clock::now();
    for (const auto& move : moves) {
        std::this_thread::sleep_until(start + move.at);
        user_->key(move.keycode, move.isDown);
    }
}

std::string DesktopRehearsal::keysTyped(const std::string& text, std::uint32_t meant,
                                        std::uint32_t locked) {
    keyboard_->reload();
    std::string typed;
    xkb::State probe(xkb_state_new(&keyboard_->keymap()));
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 point = 0;
        U8_NEXT_OR_FFFD(text.data(), i, length, point);
        if (point == U'\n') {
            typed += '\n';
            continue;
        }
        const auto key = user_->keyOf(static_cast<char32_t>(point), meant);
        if (!key) {
            throw std::runtime_error("no key types a character of \"" + text + "\"");
        }
        xkb_state_update_mask(probe.get(), key->second ? X11KeyboardState::kShiftMask : 0, 0, 0, 0,
                              0, locked);
        std::array<char, 16> bytes{};
        const int written =
            xkb_state_key_get_utf8(probe.get(), key->first, bytes.data(), bytes.size());
        typed.append(bytes.data(), static_cast<std::size_t>(std::max(written, 0)));
    }
    return typed;
}

void DesktopRehearsal::pressKey(std::uint32_t keycode, std::uint32_t modifiers) {
    keyboard_->reload();
    user_->key(keycode, true, modifiers);
    user_->key(keycode, false);
}

void DesktopRehearsal::holdKey(std::uint32_t keycode, std::chrono::milliseconds duration) {
    keyboard_->reload();
    user_->key(keycode, true);
    std::this_thread::sleep_for(duration);
    user_->key(keycode, false);
}

bool DesktopRehearsal::activateWindowOf(pid_t processIdentifier) {
    xcb_connection_t* c = connection_->get();
    const xcb_atom_t clientList = connection_->atom("_NET_CLIENT_LIST");
    const xcb_atom_t pidAtom = connection_->atom("_NET_WM_PID");
    xcb::Reply<xcb_get_property_reply_t> clients(xcb_get_property_reply(
        c, xcb_get_property(c, 0, connection_->root(), clientList, XCB_ATOM_WINDOW, 0, 1024),
        nullptr));
    if (!clients) {
        return false;
    }
    const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(clients.get()));
    const int count = xcb_get_property_value_length(clients.get()) / 4;
    for (int i = 0; i < count; ++i) {
        xcb::Reply<xcb_get_property_reply_t> pid(xcb_get_property_reply(
            c, xcb_get_property(c, 0, windows[i], pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr));
        if (!pid || xcb_get_property_value_length(pid.get()) != 4 ||
            *static_cast<const std::uint32_t*>(xcb_get_property_value(pid.get())) !=
                static_cast<std::uint32_t>(processIdentifier)) {
            continue;
        }
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = windows[i];
        message.type = connection_->atom("_NET_ACTIVE_WINDOW");
        message.data.data32[0] = 2;  // from a pager: always honoured
        xcb_send_event(c, 0, connection_->root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        connection_->sync();
        return true;
    }
    return false;
}

bool DesktopRehearsal::waitForGroup(std::uint32_t group, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (lockedGroup() != group) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void DesktopRehearsal::lockGroup(std::uint32_t group) {
    xcb_xkb_latch_lock_state(connection_->get(), XCB_XKB_ID_USE_CORE_KBD, 0, 0, 1,
                             static_cast<std::uint8_t>(group), 0, 0, 0);
    connection_->sync();
}

void DesktopRehearsal::click(int x, int y) {
    xcb_connection_t* c = connection_->get();
    xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, connection_->root(),
                        static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 0);
    xcb_test_fake_input(c, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    connection_->sync();
    // As long as a finger holds the button: a menu opened by the press is up by the release.
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    xcb_test_fake_input(c, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    connection_->sync();
}

std::uint32_t DesktopRehearsal::lockedGroup() {
    xcb::Reply<xcb_xkb_get_state_reply_t> state(xcb_xkb_get_state_reply(
        connection_->get(), xcb_xkb_get_state(connection_->get(), XCB_XKB_ID_USE_CORE_KBD),
        nullptr));
    return state ? state->lockedGroup : 0;
}

}  // namespace plovik
