#pragma once

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fixtures/common/FixtureProtocol.h"
#include "platform/virtualsession/VirtualSession.h"

namespace plovik::testing {

// gtkKeysOnly: the GTK window, taking edits only from keys, as a browser does.
enum class Toolkit { gtk, qt, gtkKeysOnly };

inline std::string fixtureProgram(Toolkit toolkit) {
    return toolkit == Toolkit::qt ? PLOVIK_BUILD_DIR "/tests/fixtures/plovik-fixture-qt"
                                  : PLOVIK_BUILD_DIR "/tests/fixtures/plovik-fixture-gtk";
}

inline std::vector<std::string> fixtureArguments(Toolkit toolkit) {
    return toolkit == Toolkit::gtkKeysOnly ? std::vector<std::string>{"--keys-only"}
                                           : std::vector<std::string>{};
}

inline bool fixtureBuilt(Toolkit toolkit) {
    return ::access(fixtureProgram(toolkit).c_str(), X_OK) == 0;
}

inline std::string toolkitName(Toolkit toolkit) {
    switch (toolkit) {
        case Toolkit::gtk:
            return "gtk";
        case Toolkit::qt:
            return "qt";
        case Toolkit::gtkKeysOnly:
            return "gtk_keys_only";
    }
    return "gtk";
}

// One fixture window in a session, asked over its standard streams what its fields hold:
// what the application really has, whatever accessibility reports.
class FixtureWindow {
  public:
    using Field = fixture::Field;

    FixtureWindow(const VirtualSession& session, Toolkit toolkit)
        : process_(session.launch(fixtureProgram(toolkit), fixtureArguments(toolkit), true)) {}
    // A fixture already started, with its standard streams piped.
    explicit FixtureWindow(ChildProcess process) : process_(std::move(process)) {}

    ChildProcess& process() { return process_; }
    pid_t pid() const { return process_.pid(); }

    // False when the window did not come up in time.
    bool waitUntilReady(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        return reply("ready", timeout).has_value();
    }

    std::optional<std::string> text(Field field) {
        const auto name = fixture::fieldName(field);
        send("get " + name);
        const auto line = reply(name + " ");
        return line ? std::optional(fixture::unescaped(line->substr(name.size() + 1)))
                    : std::nullopt;
    }

    bool setText(Field field, const std::string& text) {
        send("set " + fixture::fieldName(field) + " " + fixture::escaped(text));
        return reply("set " + fixture::fieldName(field)).has_value();
    }

    // True once the window is active and the field has the focus.
    bool focus(Field field) {
        send("focus " + fixture::fieldName(field));
        const auto line = reply("focused " + fixture::fieldName(field), std::chrono::seconds(5),
                                "unfocused " + fixture::fieldName(field));
        return line && line->starts_with("focused ");
    }

    // Selects LENGTH code points from START (the caret there when LENGTH is 0).
    bool select(Field field, int start, int length) {
        send("select " + fixture::fieldName(field) + " " + fixture::rangeText(start, length));
        return reply("selected " + fixture::fieldName(field)).has_value();
    }

    // The selection as (start, length) in code points; the caret when the length is 0.
    std::optional<std::pair<int, int>> selection(Field field) {
        const auto name = fixture::fieldName(field);
        send("selection " + name);
        const auto line = reply("selection " + name + " ");
        return line ? fixture::parseRange(line->substr(11 + name.size())) : std::nullopt;
    }

    std::optional<int> activations() {
        send("activations");
        const auto line = reply("activations ");
        return line ? std::optional(std::stoi(line->substr(12))) : std::nullopt;
    }

    // "activate N" lines seen so far, counted while waiting for other replies too.
    int activationsAnnounced() {
        drain();
        return announced_;
    }

  private:
    void send(const std::string& line) {
        const std::string whole = line + "\n";
        [[maybe_unused]] auto written =
            ::write(process_.standardInput(), whole.data(), whole.size());
    }

    // The first line starting with `prefix` within `timeout`.
    std::optional<std::string> reply(const std::string& prefix,
                                     std::chrono::milliseconds timeout = std::chrono::seconds(5),
                                     const std::string& otherPrefix = "\n") {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (true) {
            while (true) {
                const auto end = pending_.find('\n');
                if (end == std::string::npos) {
                    break;
                }
                const std::string line = pending_.substr(0, end);
                pending_.erase(0, end + 1);
                if (line.starts_with("activate ")) {
                    ++announced_;
                }
                if (line.starts_with(prefix) || line.starts_with(otherPrefix)) {
                    return line;
                }
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !readSome(left)) {
                return std::nullopt;
            }
        }
    }

    void drain() {
        while (readSome(std::chrono::milliseconds(0))) {
        }
        reply("\n", std::chrono::milliseconds(0));
    }

    bool readSome(std::chrono::milliseconds timeout) {
        pollfd request{process_.standardOutput(), POLLIN, 0};
        if (::poll(&request, 1, static_cast<int>(timeout.count())) <= 0) {
            return false;
        }
        char chunk[4096];
        const ssize_t count = ::read(process_.standardOutput(), chunk, sizeof chunk);
        if (count <= 0) {
            return false;
        }
        pending_.append(chunk, static_cast<std::size_t>(count));
        return true;
    }

    ChildProcess process_;
    std::string pending_;
    int announced_ = 0;
};

}  // namespace plovik::testing
