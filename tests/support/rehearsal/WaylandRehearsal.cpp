#include "tests/support/rehearsal/WaylandRehearsal.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "core/settings/SettingsStore.h"
#include "core/support/SystemClock.h"
#include "core/text/LocalizedComparison.h"
#include "platform/linux/FolderSettingsFiles.h"
#include "tests/support/rehearsal/DesktopRehearsal.h"
#include "tests/support/rehearsal/Typist.h"

namespace plovik {

namespace {

constexpr auto kKeyboardAnswerLimit = std::chrono::seconds(30);

// Hands what root wrote to the session's user, who runs Plovik.
void giveAway(const std::filesystem::path& root, const std::optional<ChildCredentials>& owner) {
    if (!owner) {
        return;
    }
    [[maybe_unused]] int ignored = ::chown(root.c_str(), owner->user, owner->group);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        ignored = ::lchown(entry.path().c_str(), owner->user, owner->group);
    }
}

}  // namespace

WaylandRehearsal::WaylandRehearsal(const WaylandSession& session, Options options)
    : session_(session),
      options_(std::move(options)),
      home_(session.makeFolder("plovik-home")),
      keyboard_(session.launch(options_.keyboardProgram.string(), {}, {}, true)) {
    writeSettings();
    if (!command("", kKeyboardAnswerLimit)) {
        throw std::runtime_error("the virtual keyboard did not come up" + session.logTail());
    }
}

WaylandRehearsal::~WaylandRehearsal() {
    stopPlovik();
}

void WaylandRehearsal::writeSettings() {
    std::filesystem::create_directories(home_ / "config" / "plovik");
    // The fixture windows as installed applications.
    std::filesystem::create_directories(home_ / "data" / "applications");
    std::ofstream(home_ / "data" / "applications" / "org.plovik.FixtureGtk.desktop")
        << "[Desktop Entry]\nType=Application\nName=GTK Fixture\nExec=plovik-fixture-gtk\n";
    std::ofstream(home_ / "data" / "applications" / "org.plovik.FixtureQt.desktop")
        << "[Desktop Entry]\nType=Application\nName=Qt Fixture\nExec=plovik-fixture-qt\n";
    {
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
    giveAway(home_, session_.credentials());
}

bool WaylandRehearsal::startPlovik(std::chrono::milliseconds timeout) {
    launchPlovik();
    return waitForLog("plovik: correcting through Fcitx5", timeout) &&
           waitForLog("input monitoring granted", timeout);
}

void WaylandRehearsal::launchPlovik() {
    std::vector<std::string> environment{"XDG_CONFIG_HOME=" + (home_ / "config").string(),
                                         "XDG_DATA_HOME=" + (home_ / "data").string(),
                                         "HOME=" + home_.string()};
    environment.insert(environment.end(), options_.environment.begin(), options_.environment.end());
    plovik_.emplace(session_.launch(options_.plovik.string(), options_.arguments, environment,
                                    false, (home_ / "plovik.log").string()));
}

void WaylandRehearsal::stopPlovik() {
    if (plovik_) {
        plovik_->stop();
        plovik_.reset();
    }
}

std::string WaylandRehearsal::log() const {
    std::ifstream file(home_ / "plovik.log");
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : std::string();
}

bool WaylandRehearsal::waitForLog(const std::string& text, std::chrono::milliseconds timeout,
                                  int count) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (DesktopRehearsal::occurrences(log(), text) < count) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Sends one line (none for the greeting) and waits for the keyboard's answer.
bool WaylandRehearsal::command(const std::string& line, std::chrono::milliseconds timeout) {
    return ask(line, timeout) == (line.empty() ? "ready" : "ok");
}

std::optional<std::string> WaylandRehearsal::ask(const std::string& line,
                                                 std::chrono::milliseconds timeout) {
    if (!line.empty()) {
        const std::string whole = line + "\n";
        if (::write(keyboard_.standardInput(), whole.data(), whole.size()) !=
            static_cast<ssize_t>(whole.size())) {
            return std::nullopt;
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        const auto end = keyboardOutput_.find('\n');
        if (end != std::string::npos) {
            std::string answer = keyboardOutput_.substr(0, end);
            keyboardOutput_.erase(0, end + 1);
            return answer;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd request{keyboard_.standardOutput(), POLLIN, 0};
        if (left.count() <= 0 || ::poll(&request, 1, static_cast<int>(left.count())) <= 0) {
            return std::nullopt;
        }
        char chunk[256];
        const ssize_t count = ::read(keyboard_.standardOutput(), chunk, sizeof chunk);
        if (count <= 0) {
            return std::nullopt;
        }
        keyboardOutput_.append(chunk, static_cast<std::size_t>(count));
    }
}

bool WaylandRehearsal::typeKeys(const std::string& text, std::chrono::milliseconds interval) {
    // A line feed is the Return key, which the keyboard's line of text cannot hold.
    std::size_t at = 0;
    while (at <= text.size()) {
        const auto end = std::min(text.find('\n', at), text.size());
        if (end > at &&
            !command("type " + std::to_string(interval.count()) + " " + text.substr(at, end - at),
                     kKeyboardAnswerLimit)) {
            return false;
        }
        if (end == text.size()) {
            return true;
        }
        if (!pressKey(Key::enter)) {
            return false;
        }
        std::this_thread::sleep_for(interval);
        at = end + 1;
    }
    return true;
}

bool WaylandRehearsal::typeLikeAPerson(const std::string& text, std::uint32_t seed) {
    // The typist counts in X key codes, eight above the keyboard's evdev codes.
    std::map<char32_t, std::optional<Typist::Stroke>> found;
    const auto keyOf = [&](char32_t character) -> std::optional<Typist::Stroke> {
        if (character == U'\n') {
            return Typist::Stroke{xKeycode(Key::enter), false};
        }
        if (character >= 0x80 || character < 0x20) {
            return std::nullopt;
        }
        auto known = found.find(character);
        if (known == found.end()) {
            known = found.emplace(character, strokeOf(static_cast<char>(character))).first;
        }
        return known->second;
    };
    Typist typist(seed, xKeycode(Key::leftShift));
    std::ostringstream line;
    line << "moves";
    try {
        for (const auto& move : typist.moves(text, keyOf)) {
            line << ' ' << move.at.count() << ' ' << move.keycode - kXKeycodeOffset << ' '
                 << (move.isDown ? 1 : 0);
        }
    } catch (const std::invalid_argument&) {
        return false;
    }
    return command(line.str(), kKeyboardAnswerLimit +
                                   std::chrono::milliseconds(70) * static_cast<long>(text.size()));
}

std::optional<Typist::Stroke> WaylandRehearsal::strokeOf(char character) {
    const auto answer = ask(std::string("find ") + character, kKeyboardAnswerLimit);
    std::istringstream words(answer.value_or(""));
    std::string ok;
    std::uint32_t code = 0;
    int shifted = 0;
    if (!(words >> ok >> code >> shifted) || ok != "ok") {
        return std::nullopt;
    }
    return Typist::Stroke{code + kXKeycodeOffset, shifted != 0};
}

bool WaylandRehearsal::pressKey(Key key, Modifiers modifiers) {
    // The keyboard's bits: 1 Shift, 2 Control, 4 Alt, 8 Super.
    unsigned bits = 0;
    const std::pair<Modifier, unsigned> mapping[] = {
        {Modifier::shift, 1}, {Modifier::control, 2}, {Modifier::alt, 4}, {Modifier::super, 8}};
    for (const auto& [modifier, bit] : mapping) {
        if (modifiers.has(modifier)) {
            bits |= bit;
        }
    }
    return command("key " + std::to_string(evdevCode(key)) + " " + std::to_string(bits),
                   kKeyboardAnswerLimit);
}

bool WaylandRehearsal::holdKey(Key key, std::chrono::milliseconds duration) {
    return command(
        "hold " + std::to_string(evdevCode(key)) + " " + std::to_string(duration.count()),
        kKeyboardAnswerLimit);
}

std::optional<std::string> WaylandRehearsal::inputMethod() const {
    auto answer = session_.output("fcitx5-remote", {"-n"}, std::chrono::seconds(5));
    if (!answer) {
        return std::nullopt;
    }
    while (!answer->empty() && (answer->back() == '\n' || answer->back() == ' ')) {
        answer->pop_back();
    }
    return answer;
}

bool WaylandRehearsal::waitForInputMethod(const std::string& name,
                                          std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (inputMethod() != name) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace plovik
